// The frame pixels a snowfall follows, in one block taken once: the pixels
// still moving toward the backdrop, then the last frame's snow inside a logo
// area; its snow elsewhere fills the block from the end. The snow lists grow
// toward each other, so no count per particle is needed while the gap holds
// every particle.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};

class PointList {
 public:
  // Takes memory for `capacity` points (PackPoint) and empties the lists;
  // false, with no memory and no room, where there is none to take.
  bool Reserve(int32_t capacity) {
    block_.reset(capacity > 0 ? static_cast<uint32_t*>(
                                    std::malloc(static_cast<size_t>(capacity) * sizeof(uint32_t)))
                              : nullptr);
    capacity_ = block_ ? capacity : 0;
    KeepMoving(0);
    return block_ != nullptr;
  }

  bool HasMemory() const { return block_ != nullptr; }
  int32_t Capacity() const { return capacity_; }

  // Whether the lists can take `particles` more pixels besides the moving
  // ones.
  bool HasRoomFor(int32_t particles) const { return movingCount_ <= capacity_ - particles; }

  uint32_t* Moving() const { return block_.get(); }
  int32_t MovingCount() const { return movingCount_; }
  uint32_t* LogoSnow() const { return block_.get() + movingCount_; }
  int32_t LogoSnowCount() const { return logoSnowCount_; }
  uint32_t* PlainSnow() const { return block_.get() + capacity_ - plainSnowCount_; }
  int32_t PlainSnowCount() const { return plainSnowCount_; }

  // The snow lists are done with: the block's first `moving` points, which
  // a put has just written there, are the pixels still moving.
  void KeepMoving(int32_t moving) {
    movingCount_ = moving;
    logoSnowCount_ = 0;
    plainSnowCount_ = 0;
  }

  // One frame's particles' pixels as they are set. Each is written to both
  // lists' next places and kept in one: while the gap holds every particle
  // not yet listed, neither write reaches the other list's points.
  class SnowWriter {
   public:
    void Add(uint32_t point, bool inLogo) {
      logo_[0] = point;
      plain_[-1] = point;
      logo_ += inLogo;
      plain_ -= !inLogo;
    }

   private:
    friend class PointList;
    SnowWriter(uint32_t* logo, uint32_t* plain) : logo_(logo), plain_(plain) {}
    uint32_t* logo_;
    uint32_t* plain_;
  };

  // Empties the snow lists and starts them again after the moving pixels;
  // the caller lists at most as many as HasRoomFor allowed.
  SnowWriter StartSnow() {
    KeepMoving(movingCount_);
    return SnowWriter(LogoSnow(), block_.get() + capacity_);
  }
  void EndSnow(const SnowWriter& writer) {
    logoSnowCount_ = static_cast<int32_t>(writer.logo_ - LogoSnow());
    plainSnowCount_ = static_cast<int32_t>(block_.get() + capacity_ - writer.plain_);
  }

 private:
  std::unique_ptr<uint32_t[], FreeBlock> block_;
  int32_t capacity_ = 0;
  int32_t movingCount_ = 0;
  int32_t logoSnowCount_ = 0;
  int32_t plainSnowCount_ = 0;
};

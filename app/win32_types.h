// The Win32 view of SaverState: checks that every portable mirror record has
// the layout of the Win32 type it stands for, and hands the fields to Win32 as
// those types. Included by the Win32 half of the saver only.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/saver_state.h"

#define POMARELO_SAME_FIELD(mirror, mirrorField, real, realField)              \
  static_assert(offsetof(mirror, mirrorField) == offsetof(real, realField) && \
                    sizeof(mirror::mirrorField) == sizeof(real::realField),   \
                #mirror "::" #mirrorField " matches " #real "::" #realField)

static_assert(sizeof(SaverRect) == sizeof(RECT), "RECT layout");
POMARELO_SAME_FIELD(SaverRect, left, RECT, left);
POMARELO_SAME_FIELD(SaverRect, bottom, RECT, bottom);

static_assert(sizeof(SaverPoint) == sizeof(POINT), "POINT layout");
POMARELO_SAME_FIELD(SaverPoint, y, POINT, y);

static_assert(sizeof(SaverMessage) == sizeof(MSG), "MSG layout");
POMARELO_SAME_FIELD(SaverMessage, message, MSG, message);
POMARELO_SAME_FIELD(SaverMessage, wParam, MSG, wParam);
POMARELO_SAME_FIELD(SaverMessage, lParam, MSG, lParam);
POMARELO_SAME_FIELD(SaverMessage, time, MSG, time);
POMARELO_SAME_FIELD(SaverMessage, point, MSG, pt);

static_assert(sizeof(SaverPaint) == sizeof(PAINTSTRUCT), "PAINTSTRUCT layout");
POMARELO_SAME_FIELD(SaverPaint, paintRect, PAINTSTRUCT, rcPaint);
POMARELO_SAME_FIELD(SaverPaint, reserved, PAINTSTRUCT, rgbReserved);

static_assert(sizeof(SaverWindowClass) == sizeof(WNDCLASSA), "WNDCLASSA layout");
POMARELO_SAME_FIELD(SaverWindowClass, windowProc, WNDCLASSA, lpfnWndProc);
POMARELO_SAME_FIELD(SaverWindowClass, instance, WNDCLASSA, hInstance);
POMARELO_SAME_FIELD(SaverWindowClass, background, WNDCLASSA, hbrBackground);
POMARELO_SAME_FIELD(SaverWindowClass, className, WNDCLASSA, lpszClassName);

static_assert(sizeof(DibHeader) == sizeof(BITMAPV4HEADER), "BITMAPV4HEADER layout");
POMARELO_SAME_FIELD(DibHeader, bV4Planes, BITMAPV4HEADER, bV4Planes);
POMARELO_SAME_FIELD(DibHeader, bV4V4Compression, BITMAPV4HEADER, bV4V4Compression);
POMARELO_SAME_FIELD(DibHeader, bV4ClrImportant, BITMAPV4HEADER, bV4ClrImportant);
POMARELO_SAME_FIELD(DibHeader, bV4AlphaMask, BITMAPV4HEADER, bV4AlphaMask);
POMARELO_SAME_FIELD(DibHeader, bV4Endpoints, BITMAPV4HEADER, bV4Endpoints);
POMARELO_SAME_FIELD(DibHeader, bV4GammaBlue, BITMAPV4HEADER, bV4GammaBlue);

static_assert(sizeof(void*) == sizeof(HWND), "handles are pointers");
static_assert(kBitFields == BI_BITFIELDS, "the DibHeader's compression");

#undef POMARELO_SAME_FIELD

inline RECT* AsWin32(SaverRect* rect) { return reinterpret_cast<RECT*>(rect); }
inline POINT* AsWin32(SaverPoint* point) { return reinterpret_cast<POINT*>(point); }
inline MSG* AsWin32(SaverMessage* message) { return reinterpret_cast<MSG*>(message); }
inline PAINTSTRUCT* AsWin32(SaverPaint* paint) { return reinterpret_cast<PAINTSTRUCT*>(paint); }
inline WNDCLASSA* AsWin32(SaverWindowClass* windowClass) {
  return reinterpret_cast<WNDCLASSA*>(windowClass);
}
// GetDIBits and StretchDIBits take the header as the start of a BITMAPINFO.
inline BITMAPINFO* AsBitmapInfo(DibHeader* dib) { return reinterpret_cast<BITMAPINFO*>(dib); }

inline HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }


;; Function AlphaPutPoints (_Z14AlphaPutPointsPvPKvPKjiPj, funcdef_no=1003, decl_uid=24643, cgraph_uid=213, symbol_order=287)

int32_t AlphaPutPoints (ImageBuffer * target, const ImageBuffer * source, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  int32_t D.25882;
  int32_t D.25880;

  D.25882 = {anonymous}::PutPoints<false> (target, source, 0, points, count, stillChanging);
  D.25880 = D.25882;
  goto <D.25881>;
  <D.25881>:
  return D.25880;
}



;; Function {anonymous}::PutPoints<false> (_ZN12_GLOBAL__N_19PutPointsILb0EEEiPvPKvjPKjiPj, funcdef_no=1076, decl_uid=25497, cgraph_uid=287, symbol_order=361)

int32_t {anonymous}::PutPoints<false> (ImageBuffer * target, const ImageBuffer * source, uint32_t colour, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  int32_t D.25905;
  bool D.25904;
  struct DrawContext * D.25903;
  const uint32_t after;
  const uint32_t sourcePixel;
  const uint32_t before;
  uint8_t * address;
  const int32_t y;
  const int32_t x;
  const uint32_t point;
  int32_t i;
  int32_t lastRow;
  int32_t firstRow;
  int32_t kept;
  struct Overlap overlap;
  struct DrawContext * context;
  uint32_t * stillChanging.8;
  bool retval.6;
  bool retval.2;
  int32_t D.25886;
  bool retval.0;

  D.25903 = GetDrawContext ();
  context = D.25903;
  D.25904 = {anonymous}::FindOverlap (context, target, source, &overlap);
  _1 = D.25904;
  retval.0 = ~_1;
  if (retval.0 != 0) goto <D.25884>; else goto <D.25885>;
  <D.25884>:
  D.25905 = {anonymous}::Fail ();
  D.25886 = D.25905;
  goto <D.25910>;
  <D.25885>:
  if (count <= 0) goto <D.25887>; else goto <D.25888>;
  <D.25887>:
  D.25886 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25910>;
  <D.25888>:
  BeginDraw ();
  kept = 0;
  _2 = overlap.bottom;
  firstRow = _2;
  _3 = overlap.top;
  _4 = _3 + -1;
  lastRow = _4;
  i = 0;
  goto <D.25848>;
  <D.25847>:
  _5 = i + 16;
  if (count > _5) goto <D.25889>; else goto <D.25890>;
  <D.25889>:
  _6 = (sizetype) i;
  _7 = _6 + 16;
  _8 = _7 * 4;
  _9 = points + _8;
  _10 = *_9;
  {anonymous}::FetchAhead (context, &overlap, _10);
  goto <D.25891>;
  <D.25890>:
  <D.25891>:
  _11 = (long unsigned int) i;
  _12 = _11 * 4;
  _13 = points + _12;
  point = *_13;
  point.1_14 = (int) point;
  x = point.1_14 & 65535;
  _15 = point >> 16;
  _16 = (int) _15;
  y = _16;
  y.3_17 = y;
  _18 = {anonymous}::Overlap::Holds (&overlap, x, y.3_17);
  retval.2 = ~_18;
  if (retval.2 != 0) goto <D.25893>; else goto <D.25894>;
  <D.25893>:
  // predicted unlikely by continue predictor.
  goto <D.25908>;
  <D.25894>:
  _19 = context->rows;
  y.4_20 = y;
  _21 = (long unsigned int) y.4_20;
  _22 = _21 * 8;
  _23 = _19 + _22;
  _24 = *_23;
  _25 = (long unsigned int) x;
  _26 = _25 * 4;
  address = _24 + _26;
  before = {anonymous}::LoadPixel (address);
  if (0 != 0) goto <D.25895>; else goto <D.25896>;
  <D.25895>:
  // predicted unlikely by continue predictor.
  goto <D.25908>;
  <D.25896>:
  y.5_27 = y;
  _28 = {anonymous}::Overlap::SourceAddress (&overlap, x, y.5_27);
  sourcePixel = {anonymous}::LoadPixel (_28);
  after = AlphaBlendPixel (sourcePixel, before);
  {anonymous}::StorePixel (address, after);
  _29 = std::min<int> (&firstRow, &y);
  _30 = *_29;
  firstRow = _30;
  _31 = std::max<int> (&lastRow, &y);
  _32 = *_31;
  lastRow = _32;
  _33 = AlphaBlendPixel (sourcePixel, after);
  retval.6 = after != _33;
  if (retval.6 != 0) goto <D.25898>; else goto <D.25899>;
  <D.25898>:
  point.7_34 = point;
  stillChanging.8 = stillChanging;
  kept.9_35 = kept;
  kept = kept.9_35 + 1;
  _36 = (long unsigned int) kept.9_35;
  _37 = _36 * 4;
  _38 = stillChanging.8 + _37;
  *_38 = point.7_34;
  goto <D.25901>;
  <D.25899>:
  <D.25901>:
  y = {CLOBBER(eol)};
  goto <D.25907>;
  <D.25908>:
  y = {CLOBBER(eol)};
  goto <D.25846>;
  <D.25907>:
  <D.25846>:
  i = i + 1;
  <D.25848>:
  if (i < count) goto <D.25847>; else goto <D.25845>;
  <D.25845>:
  lastRow.10_39 = lastRow;
  firstRow.11_40 = firstRow;
  _41 = lastRow.10_39 - firstRow.11_40;
  _42 = _41 + 1;
  firstRow.12_43 = firstRow;
  EndDraw (context, firstRow.12_43, _42);
  D.25886 = kept;
  goto <D.25910>;
  <D.25910>:
  overlap = {CLOBBER(eol)};
  firstRow = {CLOBBER(eol)};
  lastRow = {CLOBBER(eol)};
  goto <D.25902>;
  <D.25902>:
  return D.25886;
  <D.25906>:
  y = {CLOBBER(eol)};
  resx 2
  <D.25909>:
  overlap = {CLOBBER(eol)};
  firstRow = {CLOBBER(eol)};
  lastRow = {CLOBBER(eol)};
  resx 1
}



;; Function GetDrawContext (_Z14GetDrawContextv, funcdef_no=977, decl_uid=25232, cgraph_uid=188, symbol_order=259)

struct DrawContext * GetDrawContext ()
{
  struct DrawContext * D.25920;
  struct DrawContext * D.25919;
  const struct ScreenMode * mode;
  struct DrawContext * context;
  struct DrawContext * D.25914;

  D.25919 = ThreadContextBlock (4, 152);
  context = D.25919;
  if (context == 0B) goto <D.25912>; else goto <D.25913>;
  <D.25912>:
  D.25914 = 0B;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25918>;
  <D.25913>:
  mode = CurrentScreenMode ();
  if (mode == 0B) goto <D.25915>; else goto <D.25917>;
  <D.25917>:
  _1 = context->modeId;
  _2 = mode->id;
  if (_1 == _2) goto <D.25915>; else goto <D.25916>;
  <D.25915>:
  D.25914 = context;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25918>;
  <D.25916>:
  D.25920 = RenewDrawContext (context, mode);
  D.25914 = D.25920;
  goto <D.25918>;
  <D.25918>:
  return D.25914;
}



;; Function CurrentScreenMode (_Z17CurrentScreenModev, funcdef_no=976, decl_uid=24769, cgraph_uid=187, symbol_order=254)

struct ScreenMode * CurrentScreenMode ()
{
  struct ScreenMode * D.25921;

  D.25921 = std::atomic<ScreenMode*>::load (&g_currentScreenMode, 2);
  goto <D.25922>;
  <D.25922>:
  return D.25921;
}



;; Function std::atomic<ScreenMode*>::load (_ZNKSt6atomicIP10ScreenModeE4loadESt12memory_order, funcdef_no=1071, decl_uid=25013, cgraph_uid=281, symbol_order=355)

struct ScreenMode * std::atomic<ScreenMode*>::load (const struct atomic * const this, memory_order __m)
{
  struct ScreenMode * D.25923;

  _1 = &this->_M_b;
  D.25923 = std::__atomic_base<ScreenMode*>::load (_1, __m);
  goto <D.25924>;
  __builtin_unreachable ();
  <D.25924>:
  return D.25923;
}



;; Function std::__atomic_base<ScreenMode*>::load (_ZNKSt13__atomic_baseIP10ScreenModeE4loadESt12memory_order, funcdef_no=1079, decl_uid=24858, cgraph_uid=289, symbol_order=363)

__attribute__((always_inline))
struct ScreenMode * std::__atomic_base<ScreenMode*>::load (const struct __atomic_base * const this, memory_order __m)
{
  memory_order __b;
  struct ScreenMode * D.25941;
  bool iftmp.16;
  bool retval.15;
  bool iftmp.14;
  bool retval.13;

  __b = std::operator& (__m, 65535);
  _1 = std::__is_constant_evaluated ();
  if (_1 != 0) goto <D.25929>; else goto <D.25927>;
  <D.25929>:
  if (__b == 3) goto <D.25930>; else goto <D.25927>;
  <D.25930>:
  iftmp.14 = 1;
  goto <D.25928>;
  <D.25927>:
  iftmp.14 = 0;
  <D.25928>:
  retval.13 = iftmp.14;
  if (retval.13 != 0) goto <D.25931>; else goto <D.25932>;
  <D.25931>:
  __builtin_unreachable ();
  <D.25932>:
  _2 = std::__is_constant_evaluated ();
  if (_2 != 0) goto <D.25937>; else goto <D.25935>;
  <D.25937>:
  if (__b == 4) goto <D.25938>; else goto <D.25935>;
  <D.25938>:
  iftmp.16 = 1;
  goto <D.25936>;
  <D.25935>:
  iftmp.16 = 0;
  <D.25936>:
  retval.15 = iftmp.16;
  if (retval.15 != 0) goto <D.25939>; else goto <D.25940>;
  <D.25939>:
  __builtin_unreachable ();
  <D.25940>:
  __m.17_3 = (int) __m;
  _4 = &this->_M_p;
  _5 = __atomic_load_8 (_4, __m.17_3);
  D.25941 = (struct ScreenMode *) _5;
  goto <D.25942>;
  __builtin_unreachable ();
  <D.25942>:
  return D.25941;
}



;; Function std::operator& (_ZStanSt12memory_orderSt23__memory_order_modifier, funcdef_no=688, decl_uid=18175, cgraph_uid=91, symbol_order=108)

memory_order std::operator& (memory_order __m, __memory_order_modifier __mod)
{
  memory_order D.25943;

  __m.18_1 = (int) __m;
  __mod.19_2 = (int) __mod;
  _3 = __m.18_1 & __mod.19_2;
  D.25943 = (memory_order) _3;
  goto <D.25944>;
  <D.25944>:
  return D.25943;
}



;; Function std::__is_constant_evaluated (_ZSt23__is_constant_evaluatedv, funcdef_no=1, decl_uid=2120, cgraph_uid=2, symbol_order=1)

bool std::__is_constant_evaluated ()
{
  bool D.25945;

  D.25945 = 0;
  goto <D.25946>;
  __builtin_unreachable ();
  <D.25946>:
  return D.25945;
}



;; Function {anonymous}::FindOverlap (_ZN12_GLOBAL__N_111FindOverlapEP11DrawContextPvPKvPNS_7OverlapE, funcdef_no=998, decl_uid=25413, cgraph_uid=209, symbol_order=282)

bool {anonymous}::FindOverlap (struct DrawContext * context, ImageBuffer * target, const ImageBuffer * source, struct Overlap * overlap)
{
  bool D.25968;
  bool D.25967;
  struct ImageInfo image;
  bool retval.23;
  bool retval.22;
  bool D.25956;
  bool iftmp.21;
  bool retval.20;

  if (context == 0B) goto <D.25949>; else goto <D.25952>;
  <D.25952>:
  _1 = CurrentScreenMode ();
  if (_1 == 0B) goto <D.25949>; else goto <D.25953>;
  <D.25953>:
  if (source == 0B) goto <D.25949>; else goto <D.25950>;
  <D.25949>:
  iftmp.21 = 1;
  goto <D.25951>;
  <D.25950>:
  iftmp.21 = 0;
  <D.25951>:
  retval.20 = iftmp.21;
  if (retval.20 != 0) goto <D.25954>; else goto <D.25955>;
  <D.25954>:
  D.25956 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25970>;
  <D.25955>:
  D.25967 = SelectTarget (context, target);
  _2 = D.25967;
  retval.22 = ~_2;
  if (retval.22 != 0) goto <D.25958>; else goto <D.25959>;
  <D.25958>:
  D.25956 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25970>;
  <D.25959>:
  _3 = context->targetBytesPerPixel;
  D.25968 = ReadImageInfo (source, _3, &image);
  _4 = D.25968;
  retval.23 = ~_4;
  if (retval.23 != 0) goto <D.25961>; else goto <D.25962>;
  <D.25961>:
  D.25956 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25970>;
  <D.25962>:
  _5 = image.bytesPerPixel;
  if (_5 != 4) goto <D.25963>; else goto <D.25965>;
  <D.25965>:
  _6 = context->targetBytesPerPixel;
  if (_6 != 4) goto <D.25963>; else goto <D.25964>;
  <D.25963>:
  D.25956 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25970>;
  <D.25964>:
  _7 = context->viewX;
  overlap->left = _7;
  _8 = context->viewY;
  overlap->top = _8;
  _9 = context->viewX;
  _10 = &context->viewWidth;
  _11 = std::min<int> (_10, &image.width);
  _12 = *_11;
  _13 = _9 + _12;
  overlap->right = _13;
  _14 = context->viewY;
  _15 = &context->viewHeight;
  _16 = std::min<int> (_15, &image.height);
  _17 = *_16;
  _18 = _14 + _17;
  overlap->bottom = _18;
  _19 = image.pixels;
  overlap->sourcePixels = _19;
  _20 = image.pitch;
  overlap->sourcePitch = _20;
  D.25956 = 1;
  goto <D.25970>;
  <D.25970>:
  image = {CLOBBER(eol)};
  goto <D.25966>;
  <D.25966>:
  return D.25956;
  <D.25969>:
  image = {CLOBBER(eol)};
  resx 1
}



;; Function SelectTarget (_Z12SelectTargetP11DrawContextPKv, funcdef_no=978, decl_uid=25239, cgraph_uid=189, symbol_order=260)

bool SelectTarget (struct DrawContext * context, const ImageBuffer * image)
{
  bool D.25982;
  bool D.25980;
  bool iftmp.25;
  bool retval.24;

  if (image == 0B) goto <D.25975>; else goto <D.25973>;
  <D.25975>:
  _1 = context->contextFlags;
  _2 = _1 & 3;
  if (_2 == 0) goto <D.25976>; else goto <D.25973>;
  <D.25976>:
  _3 = CurrentScreenMode ();
  if (_3 != 0B) goto <D.25977>; else goto <D.25973>;
  <D.25977>:
  iftmp.25 = 1;
  goto <D.25974>;
  <D.25973>:
  iftmp.25 = 0;
  <D.25974>:
  retval.24 = iftmp.25;
  if (retval.24 != 0) goto <D.25978>; else goto <D.25979>;
  <D.25978>:
  context->target = 0B;
  D.25980 = 1;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25981>;
  <D.25979>:
  D.25982 = SelectNewTarget (context, image);
  D.25980 = D.25982;
  goto <D.25981>;
  <D.25981>:
  return D.25980;
}



;; Function {anonymous}::Fail (_ZN12_GLOBAL__N_14FailEv, funcdef_no=999, decl_uid=25452, cgraph_uid=210, symbol_order=283)

int32_t {anonymous}::Fail ()
{
  int32_t D.25983;

  SetErrorNumber (1);
  D.25983 = -1;
  goto <D.25984>;
  <D.25984>:
  return D.25983;
}



;; Function BeginDraw (_Z9BeginDrawv, funcdef_no=988, decl_uid=25320, cgraph_uid=199, symbol_order=271)

void BeginDraw ()
{
  uint8_t bits;
  struct ScreenMode * mode;
  bool retval.29;
  bool retval.27;

  mode = CurrentScreenMode ();
  if (mode == 0B) goto <D.25985>; else goto <D.25986>;
  <D.25985>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25998>;
  <D.25986>:
  _1 = &mode->lockBits.D.20713;
  _2 = std::__atomic_base<unsigned char>::load (_1, 2);
  bits = _2;
  bits.26_3 = bits;
  _4 = (int) bits.26_3;
  _5 = _4 & 3;
  if (_5 != 0) goto <D.25987>; else goto <D.25988>;
  <D.25987>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25998>;
  <D.25988>:
  _6 = DriverHasLockHooks (mode);
  retval.27 = ~_6;
  if (retval.27 != 0) goto <D.25990>; else goto <D.25991>;
  <D.25990>:
  _7 = &mode->lockBits.D.20713;
  std::__atomic_base<unsigned char>::store (_7, 3, 3);
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25998>;
  <D.25991>:
  <D.25326>:
  bits.28_8 = bits;
  _9 = (int) bits.28_8;
  _10 = _9 & 3;
  if (_10 != 0) goto <D.25992>; else goto <D.25993>;
  <D.25992>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.25998>;
  <D.25993>:
  _11 = &mode->lockBits.D.20713;
  _12 = std::__atomic_base<unsigned char>::compare_exchange_weak (_11, &bits, 3, 4, 2);
  retval.29 = ~_12;
  if (retval.29 != 0) goto <D.25326>; else goto <D.25324>;
  <D.25324>:
  CallDriverLock (mode);
  bits = {CLOBBER(eol)};
  goto <D.25997>;
  <D.25998>:
  bits = {CLOBBER(eol)};
  goto <D.25995>;
  <D.25997>:
  <D.25995>:
  return;
  <D.25996>:
  bits = {CLOBBER(eol)};
  resx 1
}



;; Function std::__atomic_base<unsigned char>::load (_ZNKSt13__atomic_baseIhE4loadESt12memory_order, funcdef_no=1070, decl_uid=20530, cgraph_uid=280, symbol_order=354)

__attribute__((always_inline))
__int_type std::__atomic_base<unsigned char>::load (const struct __atomic_base * const this, memory_order __m)
{
  memory_order __b;
  __int_type D.26015;
  bool iftmp.33;
  bool retval.32;
  bool iftmp.31;
  bool retval.30;

  __b = std::operator& (__m, 65535);
  _1 = std::__is_constant_evaluated ();
  if (_1 != 0) goto <D.26003>; else goto <D.26001>;
  <D.26003>:
  if (__b == 3) goto <D.26004>; else goto <D.26001>;
  <D.26004>:
  iftmp.31 = 1;
  goto <D.26002>;
  <D.26001>:
  iftmp.31 = 0;
  <D.26002>:
  retval.30 = iftmp.31;
  if (retval.30 != 0) goto <D.26005>; else goto <D.26006>;
  <D.26005>:
  __builtin_unreachable ();
  <D.26006>:
  _2 = std::__is_constant_evaluated ();
  if (_2 != 0) goto <D.26011>; else goto <D.26009>;
  <D.26011>:
  if (__b == 4) goto <D.26012>; else goto <D.26009>;
  <D.26012>:
  iftmp.33 = 1;
  goto <D.26010>;
  <D.26009>:
  iftmp.33 = 0;
  <D.26010>:
  retval.32 = iftmp.33;
  if (retval.32 != 0) goto <D.26013>; else goto <D.26014>;
  <D.26013>:
  __builtin_unreachable ();
  <D.26014>:
  __m.34_3 = (int) __m;
  _4 = &this->_M_i;
  D.26015 = __atomic_load_1 (_4, __m.34_3);
  goto <D.26016>;
  __builtin_unreachable ();
  <D.26016>:
  return D.26015;
}



;; Function DriverHasLockHooks (_Z18DriverHasLockHooksPK10ScreenMode, funcdef_no=987, decl_uid=25317, cgraph_uid=198, symbol_order=269)

bool DriverHasLockHooks (const struct ScreenMode * mode)
{
  bool iftmp.35;
  bool D.26017;

  _1 = mode->driver;
  if (_1 != 0B) goto <D.26022>; else goto <D.26019>;
  <D.26022>:
  _2 = mode->driver;
  _3 = _2->lock;
  if (_3 != 0B) goto <D.26020>; else goto <D.26023>;
  <D.26023>:
  _4 = mode->driver;
  _5 = _4->unlock;
  if (_5 != 0B) goto <D.26020>; else goto <D.26019>;
  <D.26020>:
  iftmp.35 = 1;
  goto <D.26021>;
  <D.26019>:
  iftmp.35 = 0;
  <D.26021>:
  D.26017 = iftmp.35;
  goto <D.26024>;
  <D.26024>:
  return D.26017;
}



;; Function std::__atomic_base<unsigned char>::store (_ZNSt13__atomic_baseIhE5storeEhSt12memory_order, funcdef_no=1072, decl_uid=20522, cgraph_uid=282, symbol_order=356)

__attribute__((always_inline))
void std::__atomic_base<unsigned char>::store (struct __atomic_base * const this, __int_type __i, memory_order __m)
{
  memory_order __b;
  bool iftmp.41;
  bool retval.40;
  bool iftmp.39;
  bool retval.38;
  bool iftmp.37;
  bool retval.36;

  __b = std::operator& (__m, 65535);
  _1 = std::__is_constant_evaluated ();
  if (_1 != 0) goto <D.26029>; else goto <D.26027>;
  <D.26029>:
  if (__b == 2) goto <D.26030>; else goto <D.26027>;
  <D.26030>:
  iftmp.37 = 1;
  goto <D.26028>;
  <D.26027>:
  iftmp.37 = 0;
  <D.26028>:
  retval.36 = iftmp.37;
  if (retval.36 != 0) goto <D.26031>; else goto <D.26032>;
  <D.26031>:
  __builtin_unreachable ();
  <D.26032>:
  _2 = std::__is_constant_evaluated ();
  if (_2 != 0) goto <D.26037>; else goto <D.26035>;
  <D.26037>:
  if (__b == 4) goto <D.26038>; else goto <D.26035>;
  <D.26038>:
  iftmp.39 = 1;
  goto <D.26036>;
  <D.26035>:
  iftmp.39 = 0;
  <D.26036>:
  retval.38 = iftmp.39;
  if (retval.38 != 0) goto <D.26039>; else goto <D.26040>;
  <D.26039>:
  __builtin_unreachable ();
  <D.26040>:
  _3 = std::__is_constant_evaluated ();
  if (_3 != 0) goto <D.26045>; else goto <D.26043>;
  <D.26045>:
  if (__b == 1) goto <D.26046>; else goto <D.26043>;
  <D.26046>:
  iftmp.41 = 1;
  goto <D.26044>;
  <D.26043>:
  iftmp.41 = 0;
  <D.26044>:
  retval.40 = iftmp.41;
  if (retval.40 != 0) goto <D.26047>; else goto <D.26048>;
  <D.26047>:
  __builtin_unreachable ();
  <D.26048>:
  __m.42_4 = (int) __m;
  _5 = (int) __i;
  _6 = &this->_M_i;
  __atomic_store_1 (_6, _5, __m.42_4);
  return;
}



;; Function std::__atomic_base<unsigned char>::compare_exchange_weak (_ZNSt13__atomic_baseIhE21compare_exchange_weakERhhSt12memory_orderS2_, funcdef_no=1073, decl_uid=20544, cgraph_uid=283, symbol_order=357)

__attribute__((always_inline))
bool std::__atomic_base<unsigned char>::compare_exchange_weak (struct __atomic_base * const this, __int_type & __i1, __int_type __i2, memory_order __m1, memory_order __m2)
{
  bool D.26057;
  bool iftmp.44;
  bool retval.43;

  _1 = std::__is_constant_evaluated ();
  if (_1 != 0) goto <D.26053>; else goto <D.26051>;
  <D.26053>:
  _2 = std::__is_valid_cmpexch_failure_order (__m2);
  _3 = ~_2;
  if (_3 != 0) goto <D.26054>; else goto <D.26051>;
  <D.26054>:
  iftmp.44 = 1;
  goto <D.26052>;
  <D.26051>:
  iftmp.44 = 0;
  <D.26052>:
  retval.43 = iftmp.44;
  if (retval.43 != 0) goto <D.26055>; else goto <D.26056>;
  <D.26055>:
  __builtin_unreachable ();
  <D.26056>:
  __m2.45_4 = (int) __m2;
  __m1.46_5 = (int) __m1;
  _6 = (int) __i2;
  _7 = &this->_M_i;
  D.26057 = __atomic_compare_exchange_1 (_7, __i1, _6, 1, __m1.46_5, __m2.45_4);
  goto <D.26058>;
  __builtin_unreachable ();
  <D.26058>:
  return D.26057;
}



;; Function std::__is_valid_cmpexch_failure_order (_ZSt32__is_valid_cmpexch_failure_orderSt12memory_order, funcdef_no=691, decl_uid=18191, cgraph_uid=94, symbol_order=111)

bool std::__is_valid_cmpexch_failure_order (memory_order __m)
{
  bool iftmp.47;
  bool D.26059;

  _1 = std::operator& (__m, 65535);
  if (_1 != 3) goto <D.26063>; else goto <D.26061>;
  <D.26063>:
  _2 = std::operator& (__m, 65535);
  if (_2 != 4) goto <D.26064>; else goto <D.26061>;
  <D.26064>:
  iftmp.47 = 1;
  goto <D.26062>;
  <D.26061>:
  iftmp.47 = 0;
  <D.26062>:
  D.26059 = iftmp.47;
  goto <D.26065>;
  __builtin_unreachable ();
  <D.26065>:
  return D.26059;
}



;; Function CallDriverLock (_Z14CallDriverLockP10ScreenMode, funcdef_no=985, decl_uid=25311, cgraph_uid=196, symbol_order=267)

void CallDriverLock (struct ScreenMode * mode)
{
  _1 = mode->driver;
  if (_1 != 0B) goto <D.26066>; else goto <D.26067>;
  <D.26066>:
  _2 = mode->driver;
  _3 = _2->lock;
  if (_3 != 0B) goto <D.26068>; else goto <D.26069>;
  <D.26068>:
  _4 = mode->driver;
  _5 = _4->lock;
  _5 (mode);
  goto <D.26070>;
  <D.26069>:
  <D.26070>:
  <D.26067>:
  return;
}



;; Function {anonymous}::FetchAhead (_ZN12_GLOBAL__N_110FetchAheadEPK11DrawContextRKNS_7OverlapEj, funcdef_no=997, decl_uid=25405, cgraph_uid=208, symbol_order=281)

void {anonymous}::FetchAhead (const struct DrawContext * context, const struct Overlap & overlap, uint32_t point)
{
  const int32_t y;
  const int32_t x;
  bool retval.49;

  point.48_1 = (int) point;
  x = point.48_1 & 65535;
  _2 = point >> 16;
  y = (const int32_t) _2;
  _3 = {anonymous}::Overlap::Holds (overlap, x, y);
  retval.49 = ~_3;
  if (retval.49 != 0) goto <D.26072>; else goto <D.26073>;
  <D.26072>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26074>;
  <D.26073>:
  _4 = context->rows;
  _5 = (long unsigned int) y;
  _6 = _5 * 8;
  _7 = _4 + _6;
  _8 = *_7;
  _9 = (long unsigned int) x;
  _10 = _9 * 4;
  _11 = _8 + _10;
  __builtin_prefetch (_11, 1, 3);
  _12 = {anonymous}::Overlap::SourceAddress (overlap, x, y);
  __builtin_prefetch (_12, 0, 3);
  <D.26074>:
  return;
}



;; Function {anonymous}::Overlap::Holds (_ZNK12_GLOBAL__N_17Overlap5HoldsEii, funcdef_no=995, decl_uid=25392, cgraph_uid=206, symbol_order=278)

bool {anonymous}::Overlap::Holds (const struct Overlap * const this, int32_t x, int32_t y)
{
  bool iftmp.50;
  bool D.26075;

  _1 = this->left;
  if (x >= _1) goto <D.26079>; else goto <D.26077>;
  <D.26079>:
  _2 = this->right;
  if (x < _2) goto <D.26080>; else goto <D.26077>;
  <D.26080>:
  _3 = this->top;
  if (y >= _3) goto <D.26081>; else goto <D.26077>;
  <D.26081>:
  _4 = this->bottom;
  if (y < _4) goto <D.26082>; else goto <D.26077>;
  <D.26082>:
  iftmp.50 = 1;
  goto <D.26078>;
  <D.26077>:
  iftmp.50 = 0;
  <D.26078>:
  D.26075 = iftmp.50;
  goto <D.26083>;
  <D.26083>:
  return D.26075;
}



;; Function {anonymous}::Overlap::SourceAddress (_ZNK12_GLOBAL__N_17Overlap13SourceAddressEii, funcdef_no=996, decl_uid=25397, cgraph_uid=207, symbol_order=279)

const uint8_t * {anonymous}::Overlap::SourceAddress (const struct Overlap * const this, int32_t x, int32_t y)
{
  const uint8_t * D.26084;

  _1 = this->sourcePixels;
  _2 = this->top;
  _3 = y - _2;
  _4 = (long unsigned int) _3;
  _5 = this->sourcePitch;
  _6 = (long unsigned int) _5;
  _7 = _4 * _6;
  _8 = this->left;
  _9 = x - _8;
  _10 = (long unsigned int) _9;
  _11 = _10 * 4;
  _12 = _7 + _11;
  D.26084 = _1 + _12;
  goto <D.26085>;
  <D.26085>:
  return D.26084;
}



;; Function {anonymous}::LoadPixel (_ZN12_GLOBAL__N_19LoadPixelEPKh, funcdef_no=1000, decl_uid=25455, cgraph_uid=211, symbol_order=284)

uint32_t {anonymous}::LoadPixel (const uint8_t * address)
{
  unsigned int D.26087;
  uint32_t pixel;
  uint32_t D.26086;

  D.26087 = MEM <unsigned int> [(char * {ref-all})address];
  MEM <unsigned int> [(char * {ref-all})&pixel] = D.26087;
  D.26086 = pixel;
  goto <D.26089>;
  <D.26089>:
  pixel = {CLOBBER(eol)};
  goto <D.26088>;
  <D.26088>:
  return D.26086;
}



;; Function {anonymous}::StorePixel (_ZN12_GLOBAL__N_110StorePixelEPhj, funcdef_no=1001, decl_uid=25460, cgraph_uid=212, symbol_order=285)

void {anonymous}::StorePixel (uint8_t * address, uint32_t pixel)
{
  unsigned int D.26090;

  D.26090 = MEM <unsigned int> [(char * {ref-all})&pixel];
  MEM <unsigned int> [(char * {ref-all})address] = D.26090;
  return;
}



;; Function std::min<int> (_ZSt3minIiERKT_S2_S2_, funcdef_no=1075, decl_uid=25449, cgraph_uid=285, symbol_order=359)

const int & std::min<int> (const int & __a, const int & __b)
{
  const int & D.26093;

  _1 = *__b;
  _2 = *__a;
  if (_1 < _2) goto <D.26091>; else goto <D.26092>;
  <D.26091>:
  D.26093 = __b;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26094>;
  <D.26092>:
  D.26093 = __a;
  goto <D.26094>;
  <D.26094>:
  return D.26093;
}



;; Function std::max<int> (_ZSt3maxIiERKT_S2_S2_, funcdef_no=1077, decl_uid=25486, cgraph_uid=286, symbol_order=360)

const int & std::max<int> (const int & __a, const int & __b)
{
  const int & D.26097;

  _1 = *__a;
  _2 = *__b;
  if (_1 < _2) goto <D.26095>; else goto <D.26096>;
  <D.26095>:
  D.26097 = __b;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26098>;
  <D.26096>:
  D.26097 = __a;
  goto <D.26098>;
  <D.26098>:
  return D.26097;
}



;; Function AlphaBlendPixel (_Z15AlphaBlendPixeljj, funcdef_no=994, decl_uid=25372, cgraph_uid=205, symbol_order=277)

uint32_t AlphaBlendPixel (uint32_t source, uint32_t destination)
{
  const uint32_t greenAlpha;
  const uint32_t blueRed;
  const uint32_t keep;
  const uint32_t a;
  uint32_t D.26099;

  a = source >> 24;
  keep = 256 - a;
  _1 = destination & 16711935;
  _2 = keep * _1;
  _3 = source & 16711935;
  _4 = a * _3;
  _5 = _2 + _4;
  _6 = _5 >> 8;
  blueRed = _6 & 16711935;
  _7 = destination >> 8;
  _8 = _7 & 16711935;
  _9 = keep * _8;
  _10 = source >> 8;
  _11 = _10 & 16711935;
  _12 = a * _11;
  _13 = _9 + _12;
  greenAlpha = _13 & 4278255360;
  D.26099 = blueRed | greenAlpha;
  goto <D.26100>;
  <D.26100>:
  return D.26099;
}



;; Function EndDraw (_Z7EndDrawP11DrawContextii, funcdef_no=993, decl_uid=25355, cgraph_uid=204, symbol_order=276)

void EndDraw (struct DrawContext * context, int32_t firstRow, int32_t rowCount)
{
  struct ScreenMode * mode;
  bool retval.53;
  bool retval.52;
  bool retval.51;

  MarkRowsDrawn (context, firstRow, rowCount);
  mode = CurrentScreenMode ();
  if (mode == 0B) goto <D.26101>; else goto <D.26102>;
  <D.26101>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26113>;
  <D.26102>:
  _1 = &mode->lockBits.D.20713;
  _2 = std::__atomic_base<unsigned char>::load (_1, 2);
  _3 = (unsigned int) _2;
  _4 = _3 & 2;
  retval.51 = _4 == 0;
  if (retval.51 != 0) goto <D.26104>; else goto <D.26105>;
  <D.26104>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26113>;
  <D.26105>:
  _5 = DriverHasLockHooks (mode);
  retval.52 = ~_5;
  if (retval.52 != 0) goto <D.26107>; else goto <D.26108>;
  <D.26107>:
  _6 = &mode->lockBits.D.20713;
  std::__atomic_base<unsigned char>::store (_6, 0, 3);
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26113>;
  <D.26108>:
  retval.53 = ReleaseLockBits (mode, 2);
  if (retval.53 != 0) goto <D.26110>; else goto <D.26111>;
  <D.26110>:
  CallDriverUnlock (mode);
  goto <D.26112>;
  <D.26111>:
  <D.26112>:
  <D.26113>:
  return;
}



;; Function MarkRowsDrawn (_Z13MarkRowsDrawnP11DrawContextii, funcdef_no=991, decl_uid=25344, cgraph_uid=202, symbol_order=274)

void MarkRowsDrawn (struct DrawContext * context, int32_t firstRow, int32_t rowCount)
{
  struct ScreenMode * mode;
  bool iftmp.55;
  bool retval.54;

  mode = CurrentScreenMode ();
  _1 = mode == 0B;
  _2 = rowCount <= 0;
  _3 = _1 | _2;
  if (_3 != 0) goto <D.26116>; else goto <D.26119>;
  <D.26119>:
  _4 = OnFrameBuffer (context, mode);
  _5 = ~_4;
  if (_5 != 0) goto <D.26116>; else goto <D.26117>;
  <D.26116>:
  iftmp.55 = 1;
  goto <D.26118>;
  <D.26117>:
  iftmp.55 = 0;
  <D.26118>:
  retval.54 = iftmp.55;
  if (retval.54 != 0) goto <D.26120>; else goto <D.26121>;
  <D.26120>:
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26122>;
  <D.26121>:
  _6 = (long int) firstRow;
  _7 = (long int) rowCount;
  _8 = _6 + _7;
  _9 = _8 + -1;
  _10 = (long int) firstRow;
  MarkDirtyRows (mode, _10, _9);
  <D.26122>:
  return;
}



;; Function OnFrameBuffer (_Z13OnFrameBufferPK11DrawContextPK10ScreenMode, funcdef_no=990, decl_uid=25339, cgraph_uid=201, symbol_order=273)

bool OnFrameBuffer (const struct DrawContext * context, const struct ScreenMode * mode)
{
  bool iftmp.56;
  bool D.26123;

  _1 = context->rows;
  if (_1 != 0B) goto <D.26127>; else goto <D.26125>;
  <D.26127>:
  _2 = context->rows;
  _3 = *_2;
  _4 = mode->frameBuffer;
  if (_3 == _4) goto <D.26128>; else goto <D.26125>;
  <D.26128>:
  _5 = context->contextFlags;
  _6 = _5 & 2;
  if (_6 == 0) goto <D.26129>; else goto <D.26125>;
  <D.26129>:
  iftmp.56 = 1;
  goto <D.26126>;
  <D.26125>:
  iftmp.56 = 0;
  <D.26126>:
  D.26123 = iftmp.56;
  goto <D.26130>;
  <D.26130>:
  return D.26123;
}



;; Function MarkDirtyRows (_Z13MarkDirtyRowsP10ScreenModell, funcdef_no=989, decl_uid=25330, cgraph_uid=200, symbol_order=272)

void MarkDirtyRows (struct ScreenMode * mode, int64_t firstRow, int64_t lastRow)
{
  int64_t y;

  _1 = firstRow == lastRow;
  _2 = firstRow >= 0;
  _3 = _1 & _2;
  if (_3 != 0) goto <D.26131>; else goto <D.26132>;
  <D.26131>:
  _4 = mode->height;
  _5 = (long int) _4;
  if (firstRow < _5) goto <D.26133>; else goto <D.26134>;
  <D.26133>:
  _6 = mode->dirtyLines;
  firstRow.57_7 = (sizetype) firstRow;
  _8 = _6 + firstRow.57_7;
  _9 = &_8->D.20713;
  std::__atomic_base<unsigned char>::store (_9, 1, 0);
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26141>;
  <D.26134>:
  <D.26132>:
  if (firstRow < 0) goto <D.26135>; else goto <D.26136>;
  <D.26135>:
  firstRow = 0;
  goto <D.26137>;
  <D.26136>:
  <D.26137>:
  _10 = mode->height;
  _11 = (long int) _10;
  if (lastRow >= _11) goto <D.26138>; else goto <D.26139>;
  <D.26138>:
  _12 = mode->height;
  _13 = _12 + -1;
  lastRow = (int64_t) _13;
  goto <D.26140>;
  <D.26139>:
  <D.26140>:
  y = firstRow;
  goto <D.25336>;
  <D.25335>:
  _14 = mode->dirtyLines;
  y.58_15 = (sizetype) y;
  _16 = _14 + y.58_15;
  _17 = &_16->D.20713;
  std::__atomic_base<unsigned char>::store (_17, 1, 0);
  y = y + 1;
  <D.25336>:
  if (y <= lastRow) goto <D.25335>; else goto <D.25333>;
  <D.25333>:
  <D.26141>:
  return;
}



;; Function ReleaseLockBits (_Z15ReleaseLockBitsP10ScreenModeh, funcdef_no=992, decl_uid=25349, cgraph_uid=203, symbol_order=275)

bool ReleaseLockBits (struct ScreenMode * mode, uint8_t heldBit)
{
  const uint8_t before;
  bool D.26142;

  _1 = &mode->lockBits.D.20713;
  before = std::__atomic_base<unsigned char>::fetch_and (_1, 0, 4);
  _2 = before & heldBit;
  D.26142 = _2 != 0;
  goto <D.26143>;
  <D.26143>:
  return D.26142;
}



;; Function std::__atomic_base<unsigned char>::fetch_and (_ZNSt13__atomic_baseIhE9fetch_andEhSt12memory_order, funcdef_no=1074, decl_uid=20604, cgraph_uid=284, symbol_order=358)

__attribute__((always_inline))
__int_type std::__atomic_base<unsigned char>::fetch_and (struct __atomic_base * const this, __int_type __i, memory_order __m)
{
  __int_type D.26144;

  __m.59_1 = (int) __m;
  _2 = (int) __i;
  _3 = &this->_M_i;
  D.26144 = __atomic_fetch_and_1 (_3, _2, __m.59_1);
  goto <D.26145>;
  __builtin_unreachable ();
  <D.26145>:
  return D.26144;
}



;; Function CallDriverUnlock (_Z16CallDriverUnlockP10ScreenMode, funcdef_no=986, decl_uid=25314, cgraph_uid=197, symbol_order=268)

void CallDriverUnlock (struct ScreenMode * mode)
{
  _1 = mode->driver;
  if (_1 != 0B) goto <D.26146>; else goto <D.26147>;
  <D.26146>:
  _2 = mode->driver;
  _3 = _2->unlock;
  if (_3 != 0B) goto <D.26148>; else goto <D.26149>;
  <D.26148>:
  _4 = mode->driver;
  _5 = _4->unlock;
  _5 (mode);
  goto <D.26150>;
  <D.26149>:
  <D.26150>:
  <D.26147>:
  return;
}



;; Function AlphaPutPointsOver (_Z18AlphaPutPointsOverPvPKvjPKjiPj, funcdef_no=1004, decl_uid=24650, cgraph_uid=214, symbol_order=288)

int32_t AlphaPutPointsOver (ImageBuffer * target, const ImageBuffer * source, uint32_t colour, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  int32_t D.26153;
  int32_t D.26151;

  D.26153 = {anonymous}::PutPoints<true> (target, source, colour, points, count, stillChanging);
  D.26151 = D.26153;
  goto <D.26152>;
  <D.26152>:
  return D.26151;
}



;; Function {anonymous}::PutPoints<true> (_ZN12_GLOBAL__N_19PutPointsILb1EEEiPvPKvjPKjiPj, funcdef_no=1078, decl_uid=25512, cgraph_uid=288, symbol_order=362)

int32_t {anonymous}::PutPoints<true> (ImageBuffer * target, const ImageBuffer * source, uint32_t colour, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  int32_t D.26176;
  bool D.26175;
  struct DrawContext * D.26174;
  const uint32_t after;
  const uint32_t sourcePixel;
  const uint32_t before;
  uint8_t * address;
  const int32_t y;
  const int32_t x;
  const uint32_t point;
  int32_t i;
  int32_t lastRow;
  int32_t firstRow;
  int32_t kept;
  struct Overlap overlap;
  struct DrawContext * context;
  uint32_t * stillChanging.68;
  bool retval.66;
  bool retval.62;
  int32_t D.26157;
  bool retval.60;

  D.26174 = GetDrawContext ();
  context = D.26174;
  D.26175 = {anonymous}::FindOverlap (context, target, source, &overlap);
  _1 = D.26175;
  retval.60 = ~_1;
  if (retval.60 != 0) goto <D.26155>; else goto <D.26156>;
  <D.26155>:
  D.26176 = {anonymous}::Fail ();
  D.26157 = D.26176;
  goto <D.26181>;
  <D.26156>:
  if (count <= 0) goto <D.26158>; else goto <D.26159>;
  <D.26158>:
  D.26157 = 0;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26181>;
  <D.26159>:
  BeginDraw ();
  kept = 0;
  _2 = overlap.bottom;
  firstRow = _2;
  _3 = overlap.top;
  _4 = _3 + -1;
  lastRow = _4;
  i = 0;
  goto <D.25872>;
  <D.25871>:
  _5 = i + 16;
  if (count > _5) goto <D.26160>; else goto <D.26161>;
  <D.26160>:
  _6 = (sizetype) i;
  _7 = _6 + 16;
  _8 = _7 * 4;
  _9 = points + _8;
  _10 = *_9;
  {anonymous}::FetchAhead (context, &overlap, _10);
  goto <D.26162>;
  <D.26161>:
  <D.26162>:
  _11 = (long unsigned int) i;
  _12 = _11 * 4;
  _13 = points + _12;
  point = *_13;
  point.61_14 = (int) point;
  x = point.61_14 & 65535;
  _15 = point >> 16;
  _16 = (int) _15;
  y = _16;
  y.63_17 = y;
  _18 = {anonymous}::Overlap::Holds (&overlap, x, y.63_17);
  retval.62 = ~_18;
  if (retval.62 != 0) goto <D.26164>; else goto <D.26165>;
  <D.26164>:
  // predicted unlikely by continue predictor.
  goto <D.26179>;
  <D.26165>:
  _19 = context->rows;
  y.64_20 = y;
  _21 = (long unsigned int) y.64_20;
  _22 = _21 * 8;
  _23 = _19 + _22;
  _24 = *_23;
  _25 = (long unsigned int) x;
  _26 = _25 * 4;
  address = _24 + _26;
  before = {anonymous}::LoadPixel (address);
  if (before != colour) goto <D.26166>; else goto <D.26167>;
  <D.26166>:
  // predicted unlikely by continue predictor.
  goto <D.26179>;
  <D.26167>:
  y.65_27 = y;
  _28 = {anonymous}::Overlap::SourceAddress (&overlap, x, y.65_27);
  sourcePixel = {anonymous}::LoadPixel (_28);
  after = AlphaBlendPixel (sourcePixel, before);
  {anonymous}::StorePixel (address, after);
  _29 = std::min<int> (&firstRow, &y);
  _30 = *_29;
  firstRow = _30;
  _31 = std::max<int> (&lastRow, &y);
  _32 = *_31;
  lastRow = _32;
  _33 = AlphaBlendPixel (sourcePixel, after);
  retval.66 = after != _33;
  if (retval.66 != 0) goto <D.26169>; else goto <D.26170>;
  <D.26169>:
  point.67_34 = point;
  stillChanging.68 = stillChanging;
  kept.69_35 = kept;
  kept = kept.69_35 + 1;
  _36 = (long unsigned int) kept.69_35;
  _37 = _36 * 4;
  _38 = stillChanging.68 + _37;
  *_38 = point.67_34;
  goto <D.26172>;
  <D.26170>:
  <D.26172>:
  y = {CLOBBER(eol)};
  goto <D.26178>;
  <D.26179>:
  y = {CLOBBER(eol)};
  goto <D.25870>;
  <D.26178>:
  <D.25870>:
  i = i + 1;
  <D.25872>:
  if (i < count) goto <D.25871>; else goto <D.25869>;
  <D.25869>:
  lastRow.70_39 = lastRow;
  firstRow.71_40 = firstRow;
  _41 = lastRow.70_39 - firstRow.71_40;
  _42 = _41 + 1;
  firstRow.72_43 = firstRow;
  EndDraw (context, firstRow.72_43, _42);
  D.26157 = kept;
  goto <D.26181>;
  <D.26181>:
  overlap = {CLOBBER(eol)};
  firstRow = {CLOBBER(eol)};
  lastRow = {CLOBBER(eol)};
  goto <D.26173>;
  <D.26173>:
  return D.26157;
  <D.26177>:
  y = {CLOBBER(eol)};
  resx 2
  <D.26180>:
  overlap = {CLOBBER(eol)};
  firstRow = {CLOBBER(eol)};
  lastRow = {CLOBBER(eol)};
  resx 1
}



;; Function AlphaPutChangingPoints (_Z22AlphaPutChangingPointsPvPKvPji, funcdef_no=1005, decl_uid=24655, cgraph_uid=215, symbol_order=289)

int32_t AlphaPutChangingPoints (ImageBuffer * target, const ImageBuffer * source, uint32_t * points, int32_t capacity)
{
  int32_t D.26197;
  bool D.26196;
  struct DrawContext * D.26195;
  int32_t i;
  const uint8_t * targetStretch;
  const int32_t width;
  int32_t x;
  const uint8_t * targetRow;
  const uint8_t * sourceRow;
  int32_t y;
  uint32_t blended[64];
  int32_t found;
  struct Overlap overlap;
  struct DrawContext * context;
  uint32_t * points.75;
  bool retval.74;
  const int D.25567;
  int32_t D.26185;
  bool retval.73;

  D.26195 = GetDrawContext ();
  context = D.26195;
  D.26196 = {anonymous}::FindOverlap (context, target, source, &overlap);
  _1 = D.26196;
  retval.73 = ~_1;
  if (retval.73 != 0) goto <D.26183>; else goto <D.26184>;
  <D.26183>:
  D.26197 = {anonymous}::Fail ();
  D.26185 = D.26197;
  goto <D.26199>;
  <D.26184>:
  found = 0;
  y = overlap.top;
  goto <D.25581>;
  <D.25580>:
  _2 = overlap.sourcePixels;
  _3 = overlap.top;
  _4 = y - _3;
  _5 = (long unsigned int) _4;
  _6 = overlap.sourcePitch;
  _7 = (long unsigned int) _6;
  _8 = _5 * _7;
  sourceRow = _2 + _8;
  _9 = context->rows;
  _10 = (long unsigned int) y;
  _11 = _10 * 8;
  _12 = _9 + _11;
  targetRow = *_12;
  x = overlap.left;
  goto <D.25579>;
  <D.25578>:
  _13 = overlap.right;
  _14 = _13 - x;
  D.25567 = _14;
  _15 = std::min<int> (&kStretch, &D.25567);
  width = *_15;
  D.25567 = {CLOBBER(eol)};
  _16 = (long unsigned int) x;
  _17 = _16 * 4;
  targetStretch = targetRow + _17;
  _18 = (long unsigned int) width;
  _19 = _18 * 4;
  memcpy (&blended, targetStretch, _19);
  _20 = overlap.left;
  _21 = x - _20;
  _22 = (long unsigned int) _21;
  _23 = _22 * 4;
  _24 = sourceRow + _23;
  AlphaPut (_24, &blended, width, 1, 0, 0, -1, 0B, 0);
  _25 = (long unsigned int) width;
  _26 = _25 * 4;
  _27 = memcmp (&blended, targetStretch, _26);
  if (_27 == 0) goto <D.26186>; else goto <D.26187>;
  <D.26186>:
  // predicted unlikely by continue predictor.
  goto <D.25573>;
  <D.26187>:
  i = 0;
  goto <D.25577>;
  <D.25576>:
  _28 = blended[i];
  _29 = (long unsigned int) i;
  _30 = _29 * 4;
  _31 = targetStretch + _30;
  _32 = {anonymous}::LoadPixel (_31);
  retval.74 = _28 == _32;
  if (retval.74 != 0) goto <D.26189>; else goto <D.26190>;
  <D.26189>:
  // predicted unlikely by continue predictor.
  goto <D.25575>;
  <D.26190>:
  if (found == capacity) goto <D.26191>; else goto <D.26192>;
  <D.26191>:
  D.26185 = -1;
  // predicted unlikely by early return (on trees) predictor.
  goto <D.26199>;
  <D.26192>:
  _33 = x + i;
  _34 = PackPoint (_33, y);
  points.75 = points;
  found.76_35 = found;
  found = found.76_35 + 1;
  _36 = (long unsigned int) found.76_35;
  _37 = _36 * 4;
  _38 = points.75 + _37;
  *_38 = _34;
  <D.25575>:
  i = i + 1;
  <D.25577>:
  if (i < width) goto <D.25576>; else goto <D.25574>;
  <D.25574>:
  <D.25573>:
  x = x + 64;
  <D.25579>:
  _39 = overlap.right;
  if (x < _39) goto <D.25578>; else goto <D.25572>;
  <D.25572>:
  y = y + 1;
  <D.25581>:
  _40 = overlap.bottom;
  if (y < _40) goto <D.25580>; else goto <D.25570>;
  <D.25570>:
  D.26185 = found;
  goto <D.26199>;
  <D.26199>:
  overlap = {CLOBBER(eol)};
  blended = {CLOBBER(eol)};
  goto <D.26194>;
  <D.26194>:
  return D.26185;
  <D.26198>:
  overlap = {CLOBBER(eol)};
  blended = {CLOBBER(eol)};
  resx 1
}



;; Function PackPoint (_Z9PackPointii, funcdef_no=974, decl_uid=24633, cgraph_uid=185, symbol_order=243)

uint32_t PackPoint (int32_t x, int32_t y)
{
  uint32_t D.26200;

  y.77_1 = (unsigned int) y;
  _2 = y.77_1 << 16;
  x.78_3 = (unsigned int) x;
  D.26200 = _2 | x.78_3;
  goto <D.26201>;
  <D.26201>:
  return D.26200;
}



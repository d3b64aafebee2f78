
;; Function {anonymous}::FindOverlap (_ZN12_GLOBAL__N_111FindOverlapEP11DrawContextPvPKvPNS_7OverlapE, funcdef_no=998, decl_uid=25413, cgraph_uid=209, symbol_order=282)

bool {anonymous}::FindOverlap (struct DrawContext * context, ImageBuffer * target, const ImageBuffer * source, struct Overlap * overlap)
{
  struct ImageInfo image;
  int _1;
  int _2;
  int _3;
  int _4;
  int _5;
  bool _6;
  int _8;
  bool _9;
  int _11;
  const uint8_t * _12;
  int _13;
  bool _14;
  bool _24;
  long unsigned int _30;
  int _35;
  int _36;
  int _37;
  int _38;
  int _39;
  bool _40;
  unsigned int _42;
  unsigned int _43;
  long unsigned int _44;
  bool _45;
  int _55;

  <bb 2> [local count: 1073741823]:
  if (context_17(D) == 0B)
    goto <bb 13>; [30.95%]
  else
    goto <bb 3>; [69.05%]

  <bb 3> [local count: 741418728]:
  _30 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _6 = source_19(D) == 0B;
  _40 = _30 == 0;
  _9 = _6 | _40;
  if (_9 != 0)
    goto <bb 13>; [54.43%]
  else
    goto <bb 4>; [45.57%]

  <bb 4> [local count: 337886754]:
  if (target_20(D) == 0B)
    goto <bb 5>; [46.53%]
  else
    goto <bb 8>; [53.47%]

  <bb 5> [local count: 157218707]:
  _42 = context_17(D)->contextFlags;
  _43 = _42 & 3;
  if (_43 == 0)
    goto <bb 6>; [33.00%]
  else
    goto <bb 8>; [67.00%]

  <bb 6> [local count: 51882173]:
  _44 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  if (_44 != 0)
    goto <bb 7>; [34.00%]
  else
    goto <bb 8>; [66.00%]

  <bb 7> [local count: 17639939]:
  context_17(D)->target = 0B;
  goto <bb 9>; [100.00%]

  <bb 8> [local count: 320246815]:
  _45 = SelectNewTarget (context_17(D), target_20(D));
  if (_45 != 0)
    goto <bb 9>; [45.90%]
  else
    goto <bb 13>; [54.10%]

  <bb 9> [local count: 165159044]:
  _1 = context_17(D)->targetBytesPerPixel;
  _24 = ReadImageInfo (source_19(D), _1, &image);
  if (_24 != 0)
    goto <bb 10>; [66.00%]
  else
    goto <bb 13>; [34.00%]

  <bb 10> [local count: 109004969]:
  _2 = image.bytesPerPixel;
  if (_2 != 4)
    goto <bb 13>; [50.00%]
  else
    goto <bb 11>; [50.00%]

  <bb 11> [local count: 54502484]:
  _3 = context_17(D)->targetBytesPerPixel;
  if (_3 != 4)
    goto <bb 13>; [50.00%]
  else
    goto <bb 12>; [50.00%]

  <bb 12> [local count: 27251242]:
  _4 = context_17(D)->viewX;
  overlap_25(D)->left = _4;
  _5 = context_17(D)->viewY;
  overlap_25(D)->top = _5;
  _38 = MEM[(const int &)&image + 4];
  _39 = MEM[(const int &)context_17(D) + 56];
  _55 = MIN_EXPR <_38, _39>;
  _8 = _4 + _55;
  overlap_25(D)->right = _8;
  _35 = MEM[(const int &)&image + 8];
  _36 = MEM[(const int &)context_17(D) + 60];
  _37 = MIN_EXPR <_35, _36>;
  _11 = _5 + _37;
  overlap_25(D)->bottom = _11;
  _12 = image.pixels;
  overlap_25(D)->sourcePixels = _12;
  _13 = image.pitch;
  overlap_25(D)->sourcePitch = _13;

  <bb 13> [local count: 1073741824]:
  # _14 = PHI <0(8), 1(12), 0(3), 0(10), 0(11), 0(9), 0(2)>
  image ={v} {CLOBBER(eol)};
  return _14;

}



;; Function EndDraw (_Z7EndDrawP11DrawContextii, funcdef_no=993, decl_uid=25355, cgraph_uid=204, symbol_order=276)

void EndDraw (struct DrawContext * context, int32_t firstRow, int32_t rowCount)
{
  int64_t y;
  int64_t lastRow;
  const __int_type * _8;
  unsigned char _9;
  long unsigned int _10;
  struct ScreenMode * _11;
  const struct ScreenDriver * _12;
  void (*<T41f4>) (struct ScreenMode *) _13;
  void (*<T41f4>) (struct ScreenMode *) _14;
  unsigned char _15;
  unsigned char _16;
  unsigned char _18;
  long unsigned int _22;
  struct ScreenMode * _23;
  bool _24;
  bool _25;
  bool _26;
  uint8_t * * _27;
  uint8_t * _28;
  uint8_t * _29;
  unsigned int _30;
  unsigned int _31;
  long int _32;
  long int _33;
  long int _34;
  long int _35;
  bool _36;
  bool _37;
  bool _38;
  int _39;
  long int _40;
  long int _41;
  int _42;
  long int _43;
  int _44;
  struct atomic * _46;
  sizetype y.58_48;
  struct atomic * _49;
  __int_type * _50;
  struct atomic * _53;
  sizetype firstRow.57_55;
  struct atomic * _56;
  __int_type * _57;
  const struct ScreenDriver * _58;
  void (*<T41f4>) (struct ScreenMode *) _59;

  <bb 2> [local count: 1073741824]:
  _22 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _23 = (struct ScreenMode *) _22;
  _24 = _22 == 0;
  _25 = rowCount_5(D) <= 0;
  _26 = _24 | _25;
  if (_26 != 0)
    goto <bb 13>; [34.00%]
  else
    goto <bb 3>; [66.00%]

  <bb 3> [local count: 708669601]:
  _27 = MEM[(const struct DrawContext *)context_3(D)].rows;
  if (_27 != 0B)
    goto <bb 4>; [70.00%]
  else
    goto <bb 13>; [30.00%]

  <bb 4> [local count: 496068721]:
  _28 = *_27;
  _29 = MEM[(const struct ScreenMode *)_23].frameBuffer;
  if (_28 == _29)
    goto <bb 5>; [30.00%]
  else
    goto <bb 13>; [70.00%]

  <bb 5> [local count: 148820615]:
  _30 = MEM[(const struct DrawContext *)context_3(D)].contextFlags;
  _31 = _30 & 2;
  if (_31 == 0)
    goto <bb 6>; [50.00%]
  else
    goto <bb 13>; [50.00%]

  <bb 6> [local count: 74410307]:
  _32 = (long int) firstRow_4(D);
  _33 = (long int) rowCount_5(D);
  _34 = _32 + _33;
  _35 = _34 + -1;
  _36 = _32 == _35;
  _37 = _32 >= 0;
  _38 = _36 & _37;
  if (_38 != 0)
    goto <bb 7>; [50.00%]
  else
    goto <bb 9>; [50.00%]

  <bb 7> [local count: 37205154]:
  _39 = _23->height;
  _40 = (long int) _39;
  if (_40 > _32)
    goto <bb 8>; [20.24%]
  else
    goto <bb 9>; [79.76%]

  <bb 8> [local count: 7530323]:
  _53 = MEM[(struct atomic * *)_23 + 80B];
  firstRow.57_55 = (sizetype) firstRow_4(D);
  _56 = _53 + firstRow.57_55;
  _57 = &MEM[(struct __atomic_base *)_56]._M_i;
  __atomic_store_1 (_57, 1, 0);
  goto <bb 13>; [100.00%]

  <bb 9> [local count: 66879984]:
  _41 = MAX_EXPR <_32, 0>;
  _42 = _23->height;
  _43 = (long int) _42;
  if (_35 >= _43)
    goto <bb 10>; [50.00%]
  else
    goto <bb 11>; [50.00%]

  <bb 10> [local count: 33439992]:
  _44 = _42 + -1;
  lastRow_45 = (int64_t) _44;

  <bb 11> [local count: 66879984]:
  # lastRow_52 = PHI <_35(9), lastRow_45(10)>
  if (_41 <= lastRow_52)
    goto <bb 12>; [89.00%]
  else
    goto <bb 13>; [11.00%]

  <bb 12> [local count: 541119879]:
  # y_6 = PHI <y_51(12), _41(11)>
  _46 = _23->dirtyLines;
  y.58_48 = (sizetype) y_6;
  _49 = _46 + y.58_48;
  _50 = &MEM[(struct __atomic_base *)_49]._M_i;
  __atomic_store_1 (_50, 1, 0);
  y_51 = y_6 + 1;
  if (y_51 <= lastRow_52)
    goto <bb 12>; [89.00%]
  else
    goto <bb 13>; [11.00%]

  <bb 13> [local count: 1073741825]:
  _10 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _11 = (struct ScreenMode *) _10;
  if (_10 == 0)
    goto <bb 23>; [51.12%]
  else
    goto <bb 14>; [48.88%]

  <bb 14> [local count: 524845000]:
  _8 = &MEM[(const struct __atomic_base *)_11 + 180B]._M_i;
  _9 = __atomic_load_1 (_8, 2);
  _18 = _9 & 2;
  if (_18 == 0)
    goto <bb 23>; [34.00%]
  else
    goto <bb 15>; [66.00%]

  <bb 15> [local count: 346397699]:
  _12 = MEM[(const struct ScreenMode *)_11].driver;
  if (_12 != 0B)
    goto <bb 16>; [70.00%]
  else
    goto <bb 19>; [30.00%]

  <bb 16> [local count: 242478390]:
  _13 = _12->lock;
  if (_13 != 0B)
    goto <bb 18>; [70.00%]
  else
    goto <bb 17>; [30.00%]

  <bb 17> [local count: 72743516]:
  _14 = _12->unlock;
  if (_14 != 0B)
    goto <bb 18>; [70.00%]
  else
    goto <bb 19>; [30.00%]

  <bb 18> [local count: 220655335]:
  _15 = __atomic_fetch_and_1 (_8, 0, 4);
  _16 = _15 & 2;
  if (_16 != 0)
    goto <bb 20>; [33.00%]
  else
    goto <bb 23>; [67.00%]

  <bb 19> [local count: 125742363]:
  __atomic_store_1 (_8, 0, 3);
  goto <bb 23>; [100.00%]

  <bb 20> [local count: 72816260]:
  _58 = _11->driver;
  if (_58 != 0B)
    goto <bb 21>; [70.00%]
  else
    goto <bb 23>; [30.00%]

  <bb 21> [local count: 50971382]:
  _59 = _58->unlock;
  if (_59 != 0B)
    goto <bb 22>; [70.00%]
  else
    goto <bb 23>; [30.00%]

  <bb 22> [local count: 35679968]:
  _59 (_11);

  <bb 23> [local count: 1073741825]:
  return;

}



;; Function AlphaPutPoints (_Z14AlphaPutPointsPvPKvPKjiPj, funcdef_no=1003, decl_uid=24643, cgraph_uid=213, symbol_order=287)

No longer having address taken: firstRow
Now a gimple register: firstRow
No longer having address taken: lastRow
Now a gimple register: lastRow

Symbols to be put in SSA form
{ D.26527 D.26528 }
Incremental SSA update started at block: 0
Number of blocks in CFG: 29
Number of blocks to update: 28 ( 97%)


int32_t AlphaPutPoints (ImageBuffer * target, const ImageBuffer * source, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  const uint32_t blueRed;
  const uint32_t greenAlpha;
  const uint32_t a;
  const uint32_t keep;
  const uint32_t blueRed;
  const uint32_t greenAlpha;
  uint8_t bits;
  uint8_t * address;
  const int32_t x;
  const uint32_t point;
  int32_t i;
  int32_t lastRow;
  int32_t firstRow;
  int32_t kept;
  struct Overlap overlap;
  bool _9;
  bool _10;
  int _11;
  int _12;
  int _13;
  long unsigned int _15;
  long unsigned int _16;
  const uint32_t * _17;
  unsigned int _19;
  unsigned int _21;
  int _22;
  int _23;
  int _24;
  uint8_t * * _25;
  long unsigned int _26;
  long unsigned int _27;
  uint8_t * * _28;
  uint8_t * _29;
  long unsigned int _30;
  long unsigned int _31;
  unsigned int _33;
  const uint8_t * _34;
  int _35;
  long unsigned int _36;
  int _37;
  long unsigned int _38;
  long unsigned int _39;
  int _40;
  long unsigned int _41;
  long unsigned int _42;
  sizetype _43;
  const uint8_t * _44;
  unsigned int _45;
  int _47;
  int _48;
  int _50;
  long unsigned int _56;
  long unsigned int _57;
  uint32_t * _58;
  int lastRow.10_60;
  int firstRow.11_61;
  int _62;
  int _63;
  int _64;
  struct DrawContext * _68;
  long unsigned int _69;
  struct ScreenMode * _70;
  int _71;
  int _72;
  struct DrawContext * _73;
  struct DrawContext * _74;
  long unsigned int _75;
  struct ScreenMode * _76;
  const __int_type * _77;
  unsigned char _78;
  unsigned char _79;
  const struct ScreenDriver * _80;
  void (*<T41f4>) (struct ScreenMode *) _81;
  void (*<T41f4>) (struct ScreenMode *) _82;
  unsigned char _84;
  __complex__ unsigned char _85;
  unsigned char _86;
  unsigned char _87;
  bool _88;
  const struct ScreenDriver * _89;
  void (*<T41f4>) (struct ScreenMode *) _90;
  unsigned int _93;
  unsigned int _94;
  unsigned int _95;
  unsigned int _96;
  unsigned int _97;
  unsigned int _98;
  unsigned int _100;
  unsigned int _101;
  unsigned int _102;
  unsigned int _103;
  unsigned int _104;
  unsigned int _105;
  unsigned int _106;
  unsigned int _108;
  unsigned int _111;
  unsigned int _112;
  unsigned int _115;
  unsigned int _116;
  unsigned int _118;
  unsigned int _119;
  unsigned int _120;
  unsigned int _124;
  unsigned int _126;
  bool _134;
  int _148;
  bool _155;
  bool _156;

  <bb 2> [local count: 1073741824]:
  _68 = ThreadContextBlock (4, 152);
  if (_68 == 0B)
    goto <bb 6>; [15.47%]
  else
    goto <bb 3>; [84.53%]

  <bb 3> [local count: 907633958]:
  _69 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _70 = (struct ScreenMode *) _69;
  if (_69 == 0)
    goto <bb 6>; [34.00%]
  else
    goto <bb 4>; [66.00%]

  <bb 4> [local count: 599038411]:
  _71 = _68->modeId;
  _72 = MEM[(const struct ScreenMode *)_70].id;
  if (_71 == _72)
    goto <bb 6>; [35.01%]
  else
    goto <bb 5>; [64.99%]

  <bb 5> [local count: 389315062]:
  _73 = RenewDrawContext (_68, _70);

  <bb 6> [local count: 1073741824]:
  # _74 = PHI <0B(2), _68(3), _68(4), _73(5)>
  _10 = {anonymous}::FindOverlap (_74, target_2(D), source_3(D), &overlap);
  if (_10 != 0)
    goto <bb 8>; [99.00%]
  else
    goto <bb 7>; [1.00%]

  <bb 7> [local count: 10737416]:
  SetErrorNumber (1);
  goto <bb 28>; [100.00%]

  <bb 8> [local count: 1063004408]:
  if (count_5(D) <= 0)
    goto <bb 28>; [42.09%]
  else
    goto <bb 9>; [57.91%]

  <bb 9> [local count: 615585850]:
  _75 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _76 = (struct ScreenMode *) _75;
  if (_75 == 0)
    goto <bb 21>; [51.12%]
  else
    goto <bb 10>; [48.88%]

  <bb 10> [local count: 300898363]:
  _77 = &MEM[(const struct __atomic_base *)_76 + 180B]._M_i;
  _78 = __atomic_load_1 (_77, 2);
  _79 = _78 & 3;
  if (_79 != 0)
    goto <bb 21>; [34.00%]
  else
    goto <bb 11>; [66.00%]

  <bb 11> [local count: 198592919]:
  _80 = MEM[(const struct ScreenMode *)_76].driver;
  if (_80 != 0B)
    goto <bb 12>; [70.00%]
  else
    goto <bb 14>; [30.00%]

  <bb 12> [local count: 139015044]:
  _81 = _80->lock;
  if (_81 != 0B)
    goto <bb 15>; [70.00%]
  else
    goto <bb 13>; [30.00%]

  <bb 13> [local count: 41704514]:
  _82 = _80->unlock;
  if (_82 != 0B)
    goto <bb 15>; [70.00%]
  else
    goto <bb 14>; [30.00%]

  <bb 14> [local count: 72089229]:
  __atomic_store_1 (_77, 3, 3);
  goto <bb 21>; [100.00%]

  <bb 15> [local count: 126503691]:
  # bits_127 = PHI <_78(12), _78(13)>

  <bb 16> [local count: 126551525]:
  # bits_83 = PHI <bits_127(15), _87(17)>
  _84 = bits_83 & 3;
  if (_84 != 0)
    goto <bb 21>; [5.50%]
  else
    goto <bb 17>; [94.50%]

  <bb 17> [local count: 119591189]:
  _85 = .ATOMIC_COMPARE_EXCHANGE (_77, bits_83, 3, 257, 4, 2);
  _86 = IMAGPART_EXPR <_85>;
  _87 = REALPART_EXPR <_85>;
  if (_86 != 0)
    goto <bb 18>; [99.96%]
  else
    goto <bb 16>; [0.04%]

  <bb 18> [local count: 119543354]:
  _89 = _76->driver;
  if (_89 != 0B)
    goto <bb 19>; [70.00%]
  else
    goto <bb 21>; [30.00%]

  <bb 19> [local count: 83680349]:
  _90 = _89->lock;
  if (_90 != 0B)
    goto <bb 20>; [70.00%]
  else
    goto <bb 21>; [30.00%]

  <bb 20> [local count: 58576242]:
  _90 (_76);

  <bb 21> [local count: 615585850]:
  _11 = overlap.bottom;
  firstRow_122 = _11;
  _12 = overlap.top;
  _13 = _12 + -1;
  lastRow_161 = _13;
  if (count_5(D) > 0)
    goto <bb 22>; [89.00%]
  else
    goto <bb 27>; [11.00%]

  <bb 22> [local count: 4980649188]:
  # i_7 = PHI <i_59(26), 0(21)>
  # kept_123 = PHI <kept_66(26), 0(21)>
  # firstRow_129 = PHI <firstRow_14(26), firstRow_122(21)>
  # lastRow_51 = PHI <lastRow_52(26), lastRow_161(21)>
  _15 = (long unsigned int) i_7;
  _16 = _15 * 4;
  _17 = points_4(D) + _16;
  point_18 = *_17;
  _19 = point_18 & 65535;
  x_20 = (const int32_t) _19;
  _21 = point_18 >> 16;
  _22 = (int) _21;
  _23 = overlap.left;
  if (x_20 >= _23)
    goto <bb 23>; [50.00%]
  else
    goto <bb 26>; [50.00%]

  <bb 23> [local count: 2490324594]:
  _24 = overlap.right;
  _9 = _12 <= _22;
  _88 = x_20 < _24;
  _155 = _9 & _88;
  _156 = _11 > _22;
  _134 = _155 & _156;
  if (_134 != 0)
    goto <bb 24>; [12.50%]
  else
    goto <bb 26>; [87.50%]

  <bb 24> [local count: 311290574]:
  _25 = _74->rows;
  _26 = (long unsigned int) _21;
  _27 = _26 * 8;
  _28 = _25 + _27;
  _29 = *_28;
  _30 = (long unsigned int) _19;
  _31 = _30 * 4;
  address_32 = _29 + _31;
  _33 = MEM <unsigned int> [(char * {ref-all})address_32];
  _34 = overlap.sourcePixels;
  _35 = _22 - _12;
  _36 = (long unsigned int) _35;
  _37 = overlap.sourcePitch;
  _38 = (long unsigned int) _37;
  _39 = _36 * _38;
  _40 = x_20 - _23;
  _41 = (long unsigned int) _40;
  _42 = _41 * 4;
  _43 = _39 + _42;
  _44 = _34 + _43;
  _45 = MEM <unsigned int> [(char * {ref-all})_44];
  a_91 = _45 >> 24;
  keep_92 = 256 - a_91;
  _93 = _33 & 16711935;
  _94 = keep_92 * _93;
  _95 = _45 & 16711935;
  _96 = a_91 * _95;
  _97 = _94 + _96;
  _98 = _97 >> 8;
  blueRed_99 = _98 & 16711935;
  _100 = _33 >> 8;
  _101 = _100 & 16711935;
  _102 = keep_92 * _101;
  _103 = _45 >> 8;
  _104 = _103 & 16711935;
  _105 = a_91 * _104;
  _106 = _102 + _105;
  greenAlpha_107 = _106 & 4278255360;
  _108 = blueRed_99 | greenAlpha_107;
  MEM <unsigned int> [(char * {ref-all})address_32] = _108;
  _47 = firstRow_129;
  _148 = MIN_EXPR <_22, _47>;
  firstRow_121 = _148;
  _50 = lastRow_51;
  _48 = MAX_EXPR <_22, _50>;
  lastRow_53 = _48;
  _111 = _108 & 16711935;
  _112 = keep_92 * _111;
  _115 = _96 + _112;
  _116 = _115 >> 8;
  blueRed_117 = _116 & 16711935;
  _118 = _108 >> 8;
  _119 = _118 & 16711935;
  _120 = keep_92 * _119;
  _124 = _105 + _120;
  greenAlpha_125 = _124 & 4278255360;
  _126 = blueRed_117 | greenAlpha_125;
  if (_108 != _126)
    goto <bb 25>; [66.00%]
  else
    goto <bb 26>; [34.00%]

  <bb 25> [local count: 205451780]:
  kept_55 = kept_123 + 1;
  _56 = (long unsigned int) kept_123;
  _57 = _56 * 4;
  _58 = stillChanging_6(D) + _57;
  *_58 = point_18;

  <bb 26> [local count: 4980649193]:
  # kept_66 = PHI <kept_123(23), kept_55(25), kept_123(22), kept_123(24)>
  # firstRow_14 = PHI <firstRow_129(23), firstRow_121(25), firstRow_129(22), firstRow_121(24)>
  # lastRow_52 = PHI <lastRow_51(23), lastRow_53(25), lastRow_51(22), lastRow_53(24)>
  i_59 = i_7 + 1;
  if (count_5(D) > i_59)
    goto <bb 22>; [89.00%]
  else
    goto <bb 27>; [11.00%]

  <bb 27> [local count: 615585850]:
  # kept_162 = PHI <kept_66(26), 0(21)>
  # firstRow_54 = PHI <firstRow_14(26), firstRow_122(21)>
  # lastRow_49 = PHI <lastRow_52(26), lastRow_161(21)>
  lastRow.10_60 = lastRow_49;
  firstRow.11_61 = firstRow_54;
  _62 = lastRow.10_60 - firstRow.11_61;
  _63 = _62 + 1;
  EndDraw (_74, firstRow.11_61, _63);

  <bb 28> [local count: 1073741824]:
  # _64 = PHI <-1(7), 0(8), kept_162(27)>
  overlap ={v} {CLOBBER(eol)};
  return _64;

}



;; Function AlphaPutPointsOver (_Z18AlphaPutPointsOverPvPKvjPKjiPj, funcdef_no=1004, decl_uid=24650, cgraph_uid=214, symbol_order=288)

No longer having address taken: lastRow
Now a gimple register: lastRow
No longer having address taken: firstRow
Now a gimple register: firstRow

Symbols to be put in SSA form
{ D.26572 D.26573 }
Incremental SSA update started at block: 0
Number of blocks in CFG: 30
Number of blocks to update: 29 ( 97%)


int32_t AlphaPutPointsOver (ImageBuffer * target, const ImageBuffer * source, uint32_t colour, const uint32_t * points, int32_t count, uint32_t * stillChanging)
{
  const uint32_t blueRed;
  const uint32_t greenAlpha;
  const uint32_t a;
  const uint32_t keep;
  const uint32_t blueRed;
  const uint32_t greenAlpha;
  uint8_t bits;
  struct Overlap overlap;
  int32_t kept;
  int32_t firstRow;
  int32_t lastRow;
  int32_t i;
  const uint32_t point;
  const int32_t x;
  uint8_t * address;
  bool _10;
  bool _11;
  int _12;
  int _13;
  int _14;
  long unsigned int _16;
  long unsigned int _17;
  const uint32_t * _18;
  unsigned int _20;
  unsigned int _22;
  int _23;
  int _24;
  int _25;
  uint8_t * * _26;
  long unsigned int _27;
  long unsigned int _28;
  uint8_t * * _29;
  uint8_t * _30;
  long unsigned int _31;
  long unsigned int _32;
  unsigned int _34;
  const uint8_t * _35;
  int _36;
  long unsigned int _37;
  int _38;
  long unsigned int _39;
  long unsigned int _40;
  int _41;
  long unsigned int _42;
  long unsigned int _43;
  sizetype _44;
  const uint8_t * _45;
  unsigned int _46;
  int _48;
  int _49;
  int _51;
  long unsigned int _57;
  long unsigned int _58;
  uint32_t * _59;
  int lastRow.70_61;
  int firstRow.71_62;
  int _63;
  int _64;
  int _65;
  struct DrawContext * _69;
  long unsigned int _70;
  struct ScreenMode * _71;
  int _72;
  int _73;
  struct DrawContext * _74;
  struct DrawContext * _75;
  long unsigned int _76;
  struct ScreenMode * _77;
  const __int_type * _78;
  unsigned char _79;
  unsigned char _80;
  const struct ScreenDriver * _81;
  void (*<T41f4>) (struct ScreenMode *) _82;
  void (*<T41f4>) (struct ScreenMode *) _83;
  unsigned char _85;
  __complex__ unsigned char _86;
  unsigned char _87;
  unsigned char _88;
  bool _89;
  const struct ScreenDriver * _90;
  void (*<T41f4>) (struct ScreenMode *) _91;
  unsigned int _94;
  unsigned int _95;
  unsigned int _96;
  unsigned int _97;
  unsigned int _98;
  unsigned int _99;
  unsigned int _101;
  unsigned int _102;
  unsigned int _103;
  unsigned int _104;
  unsigned int _105;
  unsigned int _106;
  unsigned int _107;
  unsigned int _109;
  unsigned int _112;
  unsigned int _113;
  unsigned int _116;
  unsigned int _117;
  unsigned int _119;
  unsigned int _120;
  unsigned int _121;
  unsigned int _125;
  unsigned int _127;
  bool _135;
  int _149;
  bool _156;
  bool _157;

  <bb 2> [local count: 1073741824]:
  _69 = ThreadContextBlock (4, 152);
  if (_69 == 0B)
    goto <bb 6>; [15.47%]
  else
    goto <bb 3>; [84.53%]

  <bb 3> [local count: 907633958]:
  _70 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _71 = (struct ScreenMode *) _70;
  if (_70 == 0)
    goto <bb 6>; [34.00%]
  else
    goto <bb 4>; [66.00%]

  <bb 4> [local count: 599038411]:
  _72 = _69->modeId;
  _73 = MEM[(const struct ScreenMode *)_71].id;
  if (_72 == _73)
    goto <bb 6>; [35.01%]
  else
    goto <bb 5>; [64.99%]

  <bb 5> [local count: 389315062]:
  _74 = RenewDrawContext (_69, _71);

  <bb 6> [local count: 1073741824]:
  # _75 = PHI <0B(2), _69(3), _69(4), _74(5)>
  _11 = {anonymous}::FindOverlap (_75, target_2(D), source_3(D), &overlap);
  if (_11 != 0)
    goto <bb 8>; [99.00%]
  else
    goto <bb 7>; [1.00%]

  <bb 7> [local count: 10737416]:
  SetErrorNumber (1);
  goto <bb 29>; [100.00%]

  <bb 8> [local count: 1063004408]:
  if (count_6(D) <= 0)
    goto <bb 29>; [42.09%]
  else
    goto <bb 9>; [57.91%]

  <bb 9> [local count: 615585850]:
  _76 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _77 = (struct ScreenMode *) _76;
  if (_76 == 0)
    goto <bb 21>; [51.12%]
  else
    goto <bb 10>; [48.88%]

  <bb 10> [local count: 300898363]:
  _78 = &MEM[(const struct __atomic_base *)_77 + 180B]._M_i;
  _79 = __atomic_load_1 (_78, 2);
  _80 = _79 & 3;
  if (_80 != 0)
    goto <bb 21>; [34.00%]
  else
    goto <bb 11>; [66.00%]

  <bb 11> [local count: 198592919]:
  _81 = MEM[(const struct ScreenMode *)_77].driver;
  if (_81 != 0B)
    goto <bb 12>; [70.00%]
  else
    goto <bb 14>; [30.00%]

  <bb 12> [local count: 139015044]:
  _82 = _81->lock;
  if (_82 != 0B)
    goto <bb 15>; [70.00%]
  else
    goto <bb 13>; [30.00%]

  <bb 13> [local count: 41704514]:
  _83 = _81->unlock;
  if (_83 != 0B)
    goto <bb 15>; [70.00%]
  else
    goto <bb 14>; [30.00%]

  <bb 14> [local count: 72089229]:
  __atomic_store_1 (_78, 3, 3);
  goto <bb 21>; [100.00%]

  <bb 15> [local count: 126503691]:
  # bits_128 = PHI <_79(12), _79(13)>

  <bb 16> [local count: 126551525]:
  # bits_84 = PHI <bits_128(15), _88(17)>
  _85 = bits_84 & 3;
  if (_85 != 0)
    goto <bb 21>; [5.50%]
  else
    goto <bb 17>; [94.50%]

  <bb 17> [local count: 119591189]:
  _86 = .ATOMIC_COMPARE_EXCHANGE (_78, bits_84, 3, 257, 4, 2);
  _87 = IMAGPART_EXPR <_86>;
  _88 = REALPART_EXPR <_86>;
  if (_87 != 0)
    goto <bb 18>; [99.96%]
  else
    goto <bb 16>; [0.04%]

  <bb 18> [local count: 119543354]:
  _90 = _77->driver;
  if (_90 != 0B)
    goto <bb 19>; [70.00%]
  else
    goto <bb 21>; [30.00%]

  <bb 19> [local count: 83680349]:
  _91 = _90->lock;
  if (_91 != 0B)
    goto <bb 20>; [70.00%]
  else
    goto <bb 21>; [30.00%]

  <bb 20> [local count: 58576242]:
  _91 (_77);

  <bb 21> [local count: 615585850]:
  _12 = overlap.bottom;
  firstRow_122 = _12;
  _13 = overlap.top;
  _14 = _13 + -1;
  lastRow_8 = _14;
  if (count_6(D) > 0)
    goto <bb 22>; [89.00%]
  else
    goto <bb 28>; [11.00%]

  <bb 22> [local count: 4980649188]:
  # i_163 = PHI <i_60(27), 0(21)>
  # kept_124 = PHI <kept_67(27), 0(21)>
  # firstRow_130 = PHI <firstRow_15(27), firstRow_122(21)>
  # lastRow_52 = PHI <lastRow_53(27), lastRow_8(21)>
  _16 = (long unsigned int) i_163;
  _17 = _16 * 4;
  _18 = points_5(D) + _17;
  point_19 = *_18;
  _20 = point_19 & 65535;
  x_21 = (const int32_t) _20;
  _22 = point_19 >> 16;
  _23 = (int) _22;
  _24 = overlap.left;
  if (x_21 >= _24)
    goto <bb 23>; [50.00%]
  else
    goto <bb 27>; [50.00%]

  <bb 23> [local count: 2490324594]:
  _25 = overlap.right;
  _10 = _13 <= _23;
  _89 = x_21 < _25;
  _157 = _10 & _89;
  _156 = _12 > _23;
  _135 = _156 & _157;
  if (_135 != 0)
    goto <bb 24>; [12.50%]
  else
    goto <bb 27>; [87.50%]

  <bb 24> [local count: 311290574]:
  _26 = _75->rows;
  _27 = (long unsigned int) _22;
  _28 = _27 * 8;
  _29 = _26 + _28;
  _30 = *_29;
  _31 = (long unsigned int) _20;
  _32 = _31 * 4;
  address_33 = _30 + _32;
  _34 = MEM <unsigned int> [(char * {ref-all})address_33];
  if (colour_4(D) != _34)
    goto <bb 27>; [48.88%]
  else
    goto <bb 25>; [51.12%]

  <bb 25> [local count: 159131743]:
  _35 = overlap.sourcePixels;
  _36 = _23 - _13;
  _37 = (long unsigned int) _36;
  _38 = overlap.sourcePitch;
  _39 = (long unsigned int) _38;
  _40 = _37 * _39;
  _41 = x_21 - _24;
  _42 = (long unsigned int) _41;
  _43 = _42 * 4;
  _44 = _40 + _43;
  _45 = _35 + _44;
  _46 = MEM <unsigned int> [(char * {ref-all})_45];
  a_92 = _46 >> 24;
  keep_93 = 256 - a_92;
  _94 = _34 & 16711935;
  _95 = keep_93 * _94;
  _96 = _46 & 16711935;
  _97 = a_92 * _96;
  _98 = _95 + _97;
  _99 = _98 >> 8;
  blueRed_100 = _99 & 16711935;
  _101 = _34 >> 8;
  _102 = _101 & 16711935;
  _103 = keep_93 * _102;
  _104 = _46 >> 8;
  _105 = _104 & 16711935;
  _106 = a_92 * _105;
  _107 = _103 + _106;
  greenAlpha_108 = _107 & 4278255360;
  _109 = blueRed_100 | greenAlpha_108;
  MEM <unsigned int> [(char * {ref-all})address_33] = _109;
  _48 = firstRow_130;
  _149 = MIN_EXPR <_23, _48>;
  firstRow_123 = _149;
  _51 = lastRow_52;
  _49 = MAX_EXPR <_23, _51>;
  lastRow_162 = _49;
  _112 = _109 & 16711935;
  _113 = keep_93 * _112;
  _116 = _97 + _113;
  _117 = _116 >> 8;
  blueRed_118 = _117 & 16711935;
  _119 = _109 >> 8;
  _120 = _119 & 16711935;
  _121 = keep_93 * _120;
  _125 = _106 + _121;
  greenAlpha_126 = _125 & 4278255360;
  _127 = blueRed_118 | greenAlpha_126;
  if (_109 != _127)
    goto <bb 26>; [66.00%]
  else
    goto <bb 27>; [34.00%]

  <bb 26> [local count: 105026952]:
  kept_56 = kept_124 + 1;
  _57 = (long unsigned int) kept_124;
  _58 = _57 * 4;
  _59 = stillChanging_7(D) + _58;
  *_59 = point_19;

  <bb 27> [local count: 4980649193]:
  # kept_67 = PHI <kept_56(26), kept_124(24), kept_124(22), kept_124(23), kept_124(25)>
  # firstRow_15 = PHI <firstRow_123(26), firstRow_130(24), firstRow_130(22), firstRow_130(23), firstRow_123(25)>
  # lastRow_53 = PHI <lastRow_162(26), lastRow_52(24), lastRow_52(22), lastRow_52(23), lastRow_162(25)>
  i_60 = i_163 + 1;
  if (count_6(D) > i_60)
    goto <bb 22>; [89.00%]
  else
    goto <bb 28>; [11.00%]

  <bb 28> [local count: 615585850]:
  # kept_164 = PHI <kept_67(27), 0(21)>
  # firstRow_55 = PHI <firstRow_15(27), firstRow_122(21)>
  # lastRow_50 = PHI <lastRow_53(27), lastRow_8(21)>
  lastRow.70_61 = lastRow_50;
  firstRow.71_62 = firstRow_55;
  _63 = lastRow.70_61 - firstRow.71_62;
  _64 = _63 + 1;
  EndDraw (_75, firstRow.71_62, _64);

  <bb 29> [local count: 1073741824]:
  # _65 = PHI <-1(7), 0(8), kept_164(28)>
  overlap ={v} {CLOBBER(eol)};
  return _65;

}



;; Function AlphaPutChangingPoints (_Z22AlphaPutChangingPointsPvPKvPji, funcdef_no=1005, decl_uid=24655, cgraph_uid=215, symbol_order=289)

int32_t AlphaPutChangingPoints (ImageBuffer * target, const ImageBuffer * source, uint32_t * points, int32_t capacity)
{
  int32_t i;
  const uint8_t * targetStretch;
  const int32_t width;
  int32_t x;
  const uint8_t * targetRow;
  int32_t y;
  uint32_t blended[64];
  int32_t found;
  struct Overlap overlap;
  const uint8_t * _1;
  int _3;
  long unsigned int _4;
  int _5;
  long unsigned int _6;
  long unsigned int _7;
  uint8_t * * _8;
  long unsigned int _9;
  long unsigned int _10;
  uint8_t * * _11;
  int _12;
  long unsigned int _13;
  long unsigned int _14;
  long unsigned int _15;
  long unsigned int _16;
  int _17;
  long unsigned int _18;
  long unsigned int _19;
  const uint8_t * _20;
  int _21;
  unsigned int _22;
  long unsigned int _23;
  long unsigned int _24;
  const uint8_t * _25;
  int _26;
  long unsigned int _27;
  long unsigned int _28;
  uint32_t * _29;
  int _30;
  int _31;
  int32_t _40;
  int _49;
  long unsigned int _50;
  bool _54;
  int _55;
  int _61;
  unsigned int _75;
  unsigned int y.77_76;
  unsigned int _77;
  unsigned int x.78_78;
  unsigned int _79;
  struct DrawContext * _81;
  long unsigned int _82;
  struct ScreenMode * _83;
  int _84;
  int _85;
  struct DrawContext * _86;
  struct DrawContext * _87;
  int _93;
  bool _108;

  <bb 2> [local count: 48404913]:
  _81 = ThreadContextBlock (4, 152);
  if (_81 == 0B)
    goto <bb 6>; [15.47%]
  else
    goto <bb 3>; [84.53%]

  <bb 3> [local count: 40916673]:
  _82 = __atomic_load_8 (&MEM[(const struct __atomic_base *)&g_currentScreenMode]._M_p, 2);
  _83 = (struct ScreenMode *) _82;
  if (_82 == 0)
    goto <bb 6>; [34.00%]
  else
    goto <bb 4>; [66.00%]

  <bb 4> [local count: 27005004]:
  _84 = _81->modeId;
  _85 = MEM[(const struct ScreenMode *)_83].id;
  if (_84 == _85)
    goto <bb 6>; [35.01%]
  else
    goto <bb 5>; [64.99%]

  <bb 5> [local count: 17550552]:
  _86 = RenewDrawContext (_81, _83);

  <bb 6> [local count: 48404913]:
  # _87 = PHI <0B(2), _81(3), _81(4), _86(5)>
  _54 = {anonymous}::FindOverlap (_87, target_51(D), source_52(D), &overlap);
  if (_54 != 0)
    goto <bb 8>; [99.00%]
  else
    goto <bb 7>; [1.00%]

  <bb 7> [local count: 484049]:
  SetErrorNumber (1);
  goto <bb 18>; [100.00%]

  <bb 8> [local count: 47920864]:
  y_56 = overlap.top;
  _61 = overlap.bottom;
  if (y_56 < _61)
    goto <bb 9>; [94.50%]
  else
    goto <bb 18>; [5.50%]

  <bb 9> [local count: 58566267]:
  # found_100 = PHI <found_98(17), 0(8)>
  # y_101 = PHI <y_59(17), y_56(8)>
  _1 = overlap.sourcePixels;
  _3 = y_101 - y_56;
  _4 = (long unsigned int) _3;
  _5 = overlap.sourcePitch;
  _6 = (long unsigned int) _5;
  _7 = _4 * _6;
  _8 = _87->rows;
  _9 = (long unsigned int) y_101;
  _10 = _9 * 8;
  _11 = _8 + _10;
  targetRow_57 = *_11;
  x_58 = overlap.left;
  _49 = overlap.right;
  if (_49 > x_58)
    goto <bb 10>; [94.50%]
  else
    goto <bb 17>; [5.50%]

  <bb 10> [local count: 241473642]:
  # _93 = PHI <_30(16), _49(9)>
  # found_97 = PHI <found_34(16), found_100(9)>
  # x_102 = PHI <x_72(16), x_58(9)>
  _12 = _93 - x_102;
  _55 = MIN_EXPR <_12, 64>;
  _13 = (long unsigned int) x_102;
  _14 = _13 * 4;
  targetStretch_64 = targetRow_57 + _14;
  _15 = (long unsigned int) _55;
  _16 = _15 * 4;
  memcpy (&blended, targetStretch_64, _16);
  _17 = x_102 - x_58;
  _18 = (long unsigned int) _17;
  _19 = _18 * 4;
  _50 = _7 + _19;
  _20 = _1 + _50;
  AlphaPut (_20, &blended, _55, 1, 0, 0, -1, 0B, 0);
  _21 = memcmp (&blended, targetStretch_64, _16);
  if (_21 == 0)
    goto <bb 16>; [57.11%]
  else
    goto <bb 11>; [42.89%]

  <bb 11> [local count: 103568046]:
  # found_2 = PHI <found_97(10)>
  _108 = _12 > 0;
  if (_108 != 0)
    goto <bb 12>; [94.50%]
  else
    goto <bb 16>; [5.50%]

  <bb 12> [local count: 1014686025]:
  # found_99 = PHI <found_32(15), found_2(11)>
  # i_103 = PHI <i_71(15), 0(11)>
  _22 = blended[i_103];
  _23 = (long unsigned int) i_103;
  _24 = _23 * 4;
  _25 = targetStretch_64 + _24;
  _75 = MEM <unsigned int> [(char * {ref-all})_25];
  if (_22 == _75)
    goto <bb 15>; [20.24%]
  else
    goto <bb 13>; [79.76%]

  <bb 13> [local count: 809313575]:
  if (found_99 == capacity_67(D))
    goto <bb 18>; [5.50%]
  else
    goto <bb 14>; [94.50%]

  <bb 14> [local count: 764801329]:
  _26 = x_102 + i_103;
  y.77_76 = (unsigned int) y_101;
  _77 = y.77_76 << 16;
  x.78_78 = (unsigned int) _26;
  _79 = _77 | x.78_78;
  found_69 = found_99 + 1;
  _27 = (long unsigned int) found_99;
  _28 = _27 * 4;
  _29 = points_68(D) + _28;
  *_29 = _79;

  <bb 15> [local count: 970173779]:
  # found_32 = PHI <found_99(12), found_69(14)>
  i_71 = i_103 + 1;
  if (_55 > i_71)
    goto <bb 12>; [94.50%]
  else
    goto <bb 16>; [5.50%]

  <bb 16> [local count: 196961397]:
  # found_34 = PHI <found_97(10), found_32(15), found_2(11)>
  x_72 = x_102 + 64;
  _30 = overlap.right;
  if (_30 > x_72)
    goto <bb 10>; [94.50%]
  else
    goto <bb 17>; [5.50%]

  <bb 17> [local count: 14054022]:
  # found_98 = PHI <found_34(16), found_100(9)>
  y_59 = y_101 + 1;
  _31 = overlap.bottom;
  if (_31 > y_59)
    goto <bb 9>; [94.50%]
  else
    goto <bb 18>; [5.50%]

  <bb 18> [local count: 48404914]:
  # _40 = PHI <-1(13), found_98(17), -1(7), 0(8)>
  overlap ={v} {CLOBBER(eol)};
  blended ={v} {CLOBBER(eol)};
  return _40;

}



#include <stdio.h>
#if 0
old();
#endif
#ifdef _DEBUG
debug(); /* デバッグ */
#else
release();
#endif
#if 1
kept();
#else
never();
#endif
s = "#if 0 は文字列";

#include <stdio.h>
debug(); /* デバッグ */
kept();
s = "#if 0 は文字列";

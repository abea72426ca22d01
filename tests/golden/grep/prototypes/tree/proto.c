#include "proto.h"
int foo(int a);
int foo(int a)
{
	return a;
}
static unsigned long *bar(char *p, int n);
/* int hidden(int a); */
#if 0
int gone(void);
#endif
int  printf_like(const char *fmt, ...);

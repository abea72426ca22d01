#if 0
a();
#elif 1
b();
#endif
c();

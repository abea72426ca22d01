#if 0
a();
#endif
b();

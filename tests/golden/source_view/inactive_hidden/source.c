int f(void)
{
#ifdef WIN32
	win();
#else
	posix();
#endif
#if 0
	old();
#endif
#if defined(DEBUG) || defined(WIN32)
	debug();
#endif
	return 0;
}

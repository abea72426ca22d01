#ifdef WIN32
win();
release();
#endif
#if 1
kept();
#endif

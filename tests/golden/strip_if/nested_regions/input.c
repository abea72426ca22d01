#ifdef WIN32
win();
#if 0
old();
#ifdef _DEBUG
older();
#endif
#endif
#ifndef _DEBUG
release();
#else
debug();
#endif
#endif
#if 1
#ifdef NOT_SET
never();
#endif
kept();
#endif

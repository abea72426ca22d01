#if 0
#ifdef INSIDE_ZERO
int z;
#endif
#endif
#ifdef _DEBUG
#if defined(A)
#endif
#if defined(WIN32)
#endif
#endif
  #ifndef GUARD_H
	#if WIN32 || _DEBUG
#endif
#endif
/*
#if 1
*/
int x; /* #if in a comment */
#elif 1
#  if SPACED

#if defined(L0) || 1
#if defined(L1) || 1
#if defined(L2) || 1
#if defined(L3) || 1
#if defined(L4) || 1
#if defined(L5) || 1
#if defined(L6) || 1
#if defined(L7) || 1
#if defined(L8) || 1
#if defined(L9) || 1
#if defined(L10) || 1
#if defined(L11) || 1
#if defined(L12) || 1
#if defined(L13) || 1
#if defined(L14) || 1
#if defined(L15) || 1
#if defined(L16) || 1
#if defined(L17) || 1
#if defined(L18) || 1
#if defined(L19) || 1
#if defined(L20) || 1
#if defined(L21) || 1
#if defined(L22) || 1
#if defined(L23) || 1
#if defined(L24) || 1
#if defined(L25) || 1
#if defined(L26) || 1
#if defined(L27) || 1
#if defined(L28) || 1
#if defined(L29) || 1
#if defined(L30) || 1
#if defined(L31) || 1
#if defined(L32) || 1
#if defined(L33) || 1
#if defined(L34) || 1
#if defined(L35) || 1
#if defined(L36) || 1
#if defined(L37) || 1
#if defined(L38) || 1
#if defined(L39) || 1
int inside_40(void)
{
  return 40;
}
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#endif
#else
int after_stray(void)
{
  return 0;
}

#ifdef WIN32
/* ÆüËÜ¸ì¤Î´Ø¿ô */
int euc_fn(void)
{
  return 1;
}
#endif
/* ¤
*/ int after_lone(void)
{
  return 2;
}
°
/* ÆüËÜ¸ì¤ */
struct euc_tag {
  int x; /* A ¤ */
} EUC_T;
#define EUC_MAX 3 /* şş¤*/
¤
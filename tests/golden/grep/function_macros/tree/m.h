#define max(a,b)    (((a) > (b)) ? (a) : (b))
#define PLAIN 1
#define  EMPTY_ARGS()  do {} while (0)
  #define INDENTED(x) (x)
// #define COMMENTED(x) (x)
#ifdef NOT_SET
#define HIDDEN(x) (x)
#endif
#define WITH_JP(x)  /* “ú–{Œê‚ÌƒRƒƒ“ƒg */ (x)

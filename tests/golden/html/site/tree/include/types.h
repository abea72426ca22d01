/* Œ^’è‹` */
typedef struct tag {
    int x;  /* XÀ•W */
} TYPE;

#define MAX 10  /* Å‘å */
#define SQ(x) ((x)*(x))

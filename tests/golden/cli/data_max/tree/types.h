typedef struct {
    int a;
} AA_T;
typedef struct {
    int b;
} BB_T;
typedef struct {
    int c;
} CC_T;
static int t1[] = { 1 };
static int t2[] = { 2 };

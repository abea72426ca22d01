/* 構造体の見本 */
typedef struct tagPOINT {
    int x;          /* Ｘ座標   */
    int y;	// Ｙ座標	ソ表
} POINT;

struct outer
{
    unsigned int flags : 3;   /* ビット */
    unsigned long count;
    struct inner {
        char name[16];        /* 名前ボ府 */
        short id;
    } in;
    union {
        int i;
        float f;
    } num;
    struct inner *next;
    char *label;
};

union value {
    int i;
    struct {
        char lo;
        char hi;
    } bytes;
};

struct forward;
struct outer *make_outer(int n);

#if 0
struct hidden {
    int never;
};
#endif

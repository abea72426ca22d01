typedef struct {
    int id;     /* 識別子 */
} COMM_T;    /* 通信情報 */
static const int comm_wait[2] =    /* 待ち時間（ミリ秒） */
{ 10, 20 };

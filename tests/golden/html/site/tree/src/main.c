/* メイン処理 */
#include "types.h"

// 初期化 <最初に呼ぶ>
void init(void)
{
    init_port();
    alpha(1);
}

/* ポート初期化, 全ポート & 割り込み */
void init_port(void)
{
    port = 0;
}

int alpha(int a)
{
    return Beta(a);
}

int Beta(int b)
{
    return beta2(b);
}

int beta2(int c)
{
    return beta2(c - 1);
}

static void _x(void)
{
    init();
}

/* 表テーブル */
const int tbl[] = { 1, 2, 3 };

#define LT(a,b) ((a)<(b))

static int probe(void)
{
    return 2;
}

/* 関数ツリーの見本：ソ表ボ府マ扶 */
#include "util.h"

int nothing(void)
{
    int a = 0;          /* 何も呼ばない「ソ」 */
    return a;
}

int fact(int n)
{
    if (n <= 1) return 1;
    return n * fact(n - 1);
}

int main(int argc, char *argv[])
{
    init();
    init_all();
    helper(1);
    printf("ソ表{%d}\n", helper(2));   // 表示ソ
    undefined_call();
    fact(3);
    nop();
    one();
    int m = MAX(1, 2);
    return 0;
}

static inline void nop(void) {}
static inline void fence(void) { barrier() }
static int one(void) { return helper(1); }

int knr(a, b)
int a;
char *b;
{
    helper(a);
    if (a) {
        trace(b);
        }
    log_it(b);
}

int brace_on_head(void) {
    helper(0);
}

void allman(void)
{   skipped_on_brace_line();
    seen_next_line();
}

void indented(void)
{
    first();
    }
void after_indented(void)
{
    second();
}

#if 0
void dead(void)
{
    ghost();
}
#endif

#ifdef DEBUG
void debug_only(void)
{
    dump_state();
}
#else
void release_only(void)
{
    quiet();
}
#endif

char *dup_name(const char *s)
{
    return copy_text(s);
}

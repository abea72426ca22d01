#include "util.h"
void init(void)
{
    reset();
}
void init_all(void)
{
    init();
    init();
}
int helper(int x)
{
    return x + 1;
}

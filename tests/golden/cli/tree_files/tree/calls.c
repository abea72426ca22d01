/* 呼び出しの見本：ソ表 */
#include "types.h"

int run(int n)
{
    init_all();
    helper(n);
    if (n > 0)
        return run(n - 1);
    return calc_total(n);
}

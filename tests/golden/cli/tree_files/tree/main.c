#include "types.h"

/*
 * ŠÖ”–¼F‰Šú‰»ˆ—
 */
int init_all(void)
{
    int i;
    for (i = 0; i < 3; i++) {
        work[i] = 0;
    }
    return 0;
}

#if 0
int dead_code(void)
{
    return 1;
}
#endif

static const char charTable[3][4] = {
    "abc", "def", "ghi"
};

char *dup_name(const char *s)   // –¼‘O‚Ì•¡»
{
    return 0;
}

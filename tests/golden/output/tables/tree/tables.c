/* テーブルの見本 */
static void *handlers[] = {
    f1, (void *)f2, 0,   // handlers
};

static const int grid[2][3] =
{
    { 1, 2, 3 },    /* 一行目, ソ表 */
    { 4, 5, 6 },
};

const struct entry entries[] = {
#if defined(WIN32)
    { "win", 1 },
#else
    { "other", 2 },
#endif
    { (char *)name_of, 3 },
};

int not_a_table = 5;

static const char charTable[3][4]
    = { 'a', 'b' };   // 文字ボ府

/* one line */
static const int one[2][3] = { { 1, 2, 3 }, { 4, 5, 6 } };
// rows "closed" on the last one
int closed[2][2] = {
    { 1, 2 },
    // second, row
    { 3, 4 }};

/* URLs */
static const char *urls[] = {
    "http://a.example/x", /* first */
    "c//d", "e/*f", // last
    "\"//", '\'', "表//"
};

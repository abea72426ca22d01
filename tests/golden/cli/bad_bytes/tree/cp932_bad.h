#define BAD_CP932 "  ı" /* \ */
#define AFTER_BAD 1 // \
à
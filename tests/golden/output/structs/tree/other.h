struct outer {
    int again;   // “ñ‚Â–Úƒ}•}
};
typedef struct {
    long a[2][3];
} POINT;

#ifndef TYPES_H
#define TYPES_H

#define MAX_WORK 16   /* ì‹Æ—Ìˆæ‚Ì” */
#define MIN(a, b) ((a) < (b) ? (a) : (b))

typedef struct tagPOINT {
    int x;
    int y;
} POINT;

int init_all(void);   // ‘S‘Ì‚Ì‰Šú‰»
#endif

#ifndef DISP_H
#define DISP_H
#define MAX(a,b) ((a) > (b) ? (a) : (b))
#ifdef _DEBUG
#define TRACE(x) printf x
#endif
void disp(int n);
#endif

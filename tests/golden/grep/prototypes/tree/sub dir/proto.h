extern void baz(void);
void (*callback)(int);

/****************************************************************
 * ŠÖ”–¼Fmotor_init
 * ‹@”\–¼Fƒ‚[ƒ^‰Šú‰»
 ****************************************************************/
#include "motor.h"

int g_mode; // “®ìƒ‚[ƒh
static const unsigned char speed_table[4] = { 10, 20, 30, 40 };
static const char *mode_names[]   // ƒ‚[ƒh–¼‚Ì•\
    = { "’â~", "‰^“]" };
static int limit_table[2] /* ãŒÀ’l */
= { 100, 200 };

static int motor_check(int speed,
                       int limit);

/* ‹Œˆ—ig—p‚µ‚È‚¢j‚
int motor_old(void)
{
    return 0;
}
*/
int motor_init(int speed)
{
    if (motor_check(speed, limit_table[0]) != 0) {
        return -1;
    }
    return 0;
}

static int motor_check(int speed,
                       int limit)
{
    int ret = 0;    /* –ß‚è’l‚Ì‰Šú‰»‚*/
    if (speed > limit) {
        ret = 1;
    }
    return ret;
}

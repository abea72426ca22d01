/* Žü•Ó‹@Ší */
#define ADC (*(struct st_adc *)0x40000000)
struct st_adc {
    int value;
};
								struct deep_tag {
    int x;
};
static int get(void)
{
    return ADC->value;
}

// Às‚·‚é
void Class::Run(void)
{
    init();
}

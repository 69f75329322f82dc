// A shared object that tests load to find it among the process's modules.
extern "C" int basicsSysinfoProbe()
{
    return 42;
}

// Built with nothing but the flags of `pkg-config --cflags --libs basicsdll`.
#include <BasicsDLL.h>
#include <muParser.h>

int main()
{
    Identifier identifier;
    mu::Parser parser;
    parser.SetExpr("2*3");
    return identifier.id() != 0 && parser.Eval() == 6.0 ? 0 : 1;
}

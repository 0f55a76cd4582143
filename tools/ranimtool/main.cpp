// ranimtool: turns a binary animation (.ran) into its text form and back, and
// checks an animation for what the engine would draw unexpectedly.
//
//   ranimtool dump  <animation.ran> [<animation.txt>]   text form to the file or to stdout
//   ranimtool build <animation.txt> <animation.ran>     binary animation from the text form
//   ranimtool check <animation.ran>                     every problem; exit code 1 if any

#include "ToolMain.h"
#include "RanimText.h"

int main(int argc, char** argv)
{
    const tool::Converter<ranimtext::Animation> converter = {
        "ranimtool", "animation.ran", "animation.txt", ranimtext::FromBinary, ranimtext::ToText,
        ranimtext::FromText, ranimtext::ToBinary, ranimtext::Check};
    return converter.Run(argc, argv);
}

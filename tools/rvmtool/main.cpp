// rvmtool: turns a binary model (.rvm) into its text form and back, and checks
// a model for what the engine would refuse.
//
//   rvmtool dump  <model.rvm> [<model.txt>]   text form to the file or to stdout
//   rvmtool build <model.txt> <model.rvm>     binary model from the text form
//   rvmtool check <model.rvm>                 every problem; exit code 1 if any

#include "ToolMain.h"
#include "RvmText.h"

int main(int argc, char** argv)
{
    const tool::Converter<rvmtext::Model> converter = {
        "rvmtool", "modell.rvm", "modell.txt", rvmtext::FromBinary, rvmtext::ToText,
        rvmtext::FromText, rvmtext::ToBinary, rvmtext::Check};
    return converter.Run(argc, argv);
}

// layer_check ROOT [QT_INCLUDE]: lists every include that crosses the layers upward or
// sideways; exits 1 when there is any.
#include "LayerCheck.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: layer_check ROOT [QT_INCLUDE]\n";
        return 2;
    }
    const auto problems = layers::CheckLayers(argv[1], argc > 2 ? argv[2] : "");
    for (const auto& p : problems)
        std::cout << p << '\n';
    if (!problems.empty())
        std::cout << problems.size() << " include(s) break the layers\n";
    return problems.empty() ? 0 : 1;
}

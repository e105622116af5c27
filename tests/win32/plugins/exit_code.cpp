// A plugin that ends at once with the exit code given as its argument.
#include <cstdlib>

int main(int argc, char** argv) {
    return argc > 1 ? std::atoi(argv[1]) : 3;
}

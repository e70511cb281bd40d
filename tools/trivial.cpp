// A trivial C++ program, the yardstick for process start-up figures: it
// loads the C++ standard library, as every program of ours does, and prints
// one line.
#include <iostream>

int main() { std::cout << "hello\n"; }

// The smallest C++ program: the yardstick for process start-up figures.
int main() { return 0; }

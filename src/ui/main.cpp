#include <cstdio>

int main() {
  std::puts("collatz: the experiment core is built; the window comes next.");
  return 0;
}

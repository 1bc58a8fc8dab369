// Uses the installed engine the way a game does: one header, one library.
#include <tolmak.h>

#include <cstdio>

int main() {
  const cVector3 moved = cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 90, 0);
  std::printf("%s\n", moved.ToString().c_str());
  return moved.ToString() == "(x=0.0000, y=0.0000, z=1.0000)" ? 0 : 1;
}

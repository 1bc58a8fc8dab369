// A first look at the math kit: a few vectors and matrices, printed.
#include <tolmak.h>

#include <cstdio>

int main() {
  const cVector3 a(1, 2, 3);
  const cVector3 b(4, 0, 0);
  std::printf("a            = %s\n", a.ToString().c_str());
  std::printf("b            = %s\n", b.ToString().c_str());
  std::printf("a + b        = %s\n", (a + b).ToString().c_str());
  std::printf("a x b        = %s\n", a.Cross(b).ToString().c_str());
  std::printf("a . b        = %.4f, |a| = %.4f\n", a.Dot(b), a.GetLength());
  std::printf("a normalized = %s\n", a.Normalized().ToString().c_str());

  cMatrix4x3 turn = cMatrix4x3::EulerRotation(0, 90, 0);
  std::printf("\nturn 90 degrees about Y = %s\n", turn.ToString().c_str());
  std::printf("(1, 0, 0) turned         = %s\n", (cVector3(1, 0, 0) * turn).ToString().c_str());

  cMatrix4x3 place;
  place.SetPosition(cVector3(10, 0, 0));
  const cMatrix4x3 turnThenPlace = turn * place;
  std::printf("turned, then moved by 10 = %s\n",
              (cVector3(1, 0, 0) * turnThenPlace).ToString().c_str());

  const cVector2 uv(0.25f, 0.75f);
  std::printf("\nuv = %s, twice = %s\n", uv.ToString().c_str(), (uv * 2.0f).ToString().c_str());
  return 0;
}

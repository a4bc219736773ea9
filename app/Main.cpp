// Temporary program entry until the window and the game object exist.
#include <cstdio>

int main()
{
    std::puts("The Orblight of Quillacor");
    return 0;
}

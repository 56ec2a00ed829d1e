#pragma once

// Maps the Windows face names that templates carry (宋体, 黑体, 楷体, ...) to installed CJK families.
namespace Fonts {
void installSubstitutions();
}

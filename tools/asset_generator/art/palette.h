// The shared colours of the set: one outline ink and the materials of the characters.
#pragma once

#include "art/raster.h"

namespace art::palette {

constexpr Rgb ink = hex(0x140f1c); // outlines of every character and prop

constexpr Ramp skin{ink, hex(0xb86a48), hex(0xe8a47a), hex(0xffd2aa)};
constexpr Ramp hair{ink, hex(0x1c1830), hex(0x2f2b4a), hex(0x4f4a78)};
constexpr Ramp scarf{ink, hex(0x8c1428), hex(0xd0283c), hex(0xff6a64)};
constexpr Ramp jacket{ink, hex(0x7e4e26), hex(0xb07a3a), hex(0xdca860)};
constexpr Ramp trousers{ink, hex(0x262c44), hex(0x3a4466), hex(0x56648e)};
constexpr Ramp boots{ink, hex(0x301c12), hex(0x4e3220), hex(0x6e4c30)};
constexpr Ramp leather{ink, hex(0x24150e), hex(0x3a2418), hex(0x5a3a26)};
constexpr Ramp gold{ink, hex(0x9a6a12), hex(0xd8a82c), hex(0xffe890)};
constexpr Ramp steel{ink, hex(0x7a8aa4), hex(0xc4d0de), hex(0xffffff)};

constexpr Rgb trailOuter = hex(0xf4fbff);
constexpr Rgb trailInner = hex(0x9cc8ee);

} // namespace art::palette

namespace art::palette {

// The attacker: a lean ghoul in violet rags with a rusty scimitar.
constexpr Ramp ghoulSkin{ink, hex(0x4a7444), hex(0x78a45e), hex(0xa8d486)};
constexpr Ramp rags{ink, hex(0x3a1c4a), hex(0x5e3274), hex(0x8a56a2)};
constexpr Ramp wraps{ink, hex(0x2c2830), hex(0x48424e), hex(0x6a6272)};
constexpr Ramp notchedSteel{ink, hex(0x5e6270), hex(0x9aa0ac), hex(0xe8ecf2)};
constexpr Rgb rustSpot = hex(0x8a4a26);
constexpr Rgb ghoulEye = hex(0xff3a24);
constexpr Rgb ghoulEyeCore = hex(0xffe0a0);
constexpr Ramp ichor{ink, hex(0x2c5a1e), hex(0x4c8a2a), hex(0x8ace4a)};

// The crawler: a pale, many-jointed thing with a spiny back and yellow eyes.
constexpr Ramp pale{ink, hex(0x66567c), hex(0x9886ac), hex(0xc8b8dc)};
constexpr Ramp bone{ink, hex(0xa89a78), hex(0xe2d6b6), hex(0xfff8e6)};
constexpr Rgb crawlerStripe = hex(0x4c3c62);
constexpr Rgb crawlerEye = hex(0xffe23c);
constexpr Rgb maw = hex(0x9c1c3c);
constexpr Rgb tooth = hex(0xfaf2e0);

// The shooter: a heavy gunner in an olive greatcoat and gas mask.
constexpr Ramp greatcoat{ink, hex(0x3e4a26), hex(0x5e6c36), hex(0x86944e)};
constexpr Ramp mask{ink, hex(0x4e5258), hex(0x767c84), hex(0xa2a8b0)};
constexpr Ramp helmet{ink, hex(0x2a3222), hex(0x404c32), hex(0x5e6c48)};
constexpr Ramp gunmetal{ink, hex(0x2a2c34), hex(0x44485a), hex(0x70768c)};
constexpr Ramp greySkin{ink, hex(0x5e6a7a), hex(0x8896a6), hex(0xb2bece)};
constexpr Ramp brass{ink, hex(0x8a5a12), hex(0xc88a22), hex(0xf4c85a)};
constexpr Rgb lens = hex(0x8cff5a);
constexpr Rgb flashCore = hex(0xfffbe0);
constexpr Rgb flashMid = hex(0xffd040);
constexpr Rgb flashOuter = hex(0xff7a1a);
constexpr Rgb smoke = hex(0x9a98a4);
constexpr Rgb smokeDark = hex(0x6c6a78);

} // namespace art::palette

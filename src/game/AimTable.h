// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every angle the aim's swing can hold, from its start at zero, with its cosine and sine as the extended-
// precision maths library the game was tuned with gives them (two of them one unit in the last place off the
// correctly rounded value); sorted by the float's bits. PlayMathTest regenerates it where that library is at
// hand and says which entry differs.

#include <array>
#include <cstdint>

#include "game/PlayMath.h"

namespace gw::game {

struct AimEntry {
  std::uint32_t angleBits;
  Extended cosine;
  Extended sine;
};

inline constexpr std::array<AimEntry, 90> kAimTable = {{
    {0x00000000u, {0x8000000000000000u, -63, false}, {0x0000000000000000u, 0, false}},
    {0x3d4ccccdu, {0xffae18d91ba15928u, -64, false}, {0xccb6f54b1df3a2b5u, -68, false}},
    {0x3dcccccdu, {0xfeb897cc9d2cd882u, -64, false}, {0xcc75768f50115461u, -67, false}},
    {0x3e19999au, {0xfd2019ef23ee24c9u, -64, false}, {0x99064fb43f7371ceu, -66, false}},
    {0x3e4ccccdu, {0xfae5a4a93013e61du, -64, false}, {0xcb6ff94c1c839b6cu, -66, false}},
    {0x3e800000u, {0xf80aa4fbef750ba8u, -64, false}, {0xfd5776a798abb5d4u, -66, false}},
    {0x3e99999au, {0xf490ee9256dc894fu, -64, false}, {0x974e6d0fa9644021u, -65, false}},
    {0x3eb33334u, {0xf07abac552516b86u, -64, false}, {0xaf904dea2a836b4fu, -65, false}},
    {0x3eb33336u, {0xf07aba6d8a29fe33u, -64, false}, {0xaf904fcb1ff89e2bu, -65, false}},
    {0x3eccccceu, {0xebcaa7030c8a314fu, -64, false}, {0xc761d8644e6a47e9u, -65, false}},
    {0x3eccccd0u, {0xebcaa69f5b9d8942u, -64, false}, {0xc761da3be3b7ea51u, -65, false}},
    {0x3ee66668u, {0xe683b32f4d408da0u, -64, false}, {0xdeb3cee09ce9b783u, -65, false}},
    {0x3ee6666au, {0xe683b2bff358aa0fu, -64, false}, {0xdeb3d0ada44fa6c4u, -65, false}},
    {0x3f000001u, {0xe0a93fb820483b6du, -64, false}, {0xf5774563aaaf6a40u, -65, false}},
    {0x3f000002u, {0xe0a93f3d64a51943u, -64, false}, {0xf5774724fd2e5fc5u, -65, false}},
    {0x3f0cccceu, {0xda3f0b6cb6ce0de0u, -64, false}, {0x85ced5903087e56eu, -64, false}},
    {0x3f0ccccfu, {0xda3f0ae6e7f81090u, -64, false}, {0x85ced66a6f930f3eu, -64, false}},
    {0x3f19999bu, {0xd3493117e4ab9ab4u, -64, false}, {0x908c69e4f6e9a949u, -64, false}},
    {0x3f19999cu, {0xd349308758414c19u, -64, false}, {0x908c6ab8401a78e8u, -64, false}},
    {0x3f266668u, {0xcbcc24dfc2602783u, -64, false}, {0x9aed8052b22c5232u, -64, false}},
    {0x3f266669u, {0xcbcc2444d4df6eebu, -64, false}, {0x9aed811e7e50e47eu, -64, false}},
    {0x3f333335u, {0xc3ccb16c21e89d1cu, -64, false}, {0xa4eb74aaa1415d43u, -64, false}},
    {0x3f333336u, {0xc3ccb0c736739094u, -64, false}, {0xa4eb756e6df276f0u, -64, false}},
    {0x3f400002u, {0xbb4ff4d5a94614a6u, -64, false}, {0xae7fe22c9c637380u, -64, false}},
    {0x3f400003u, {0xbb4ff42729638a62u, -64, false}, {0xae7fe2e7ec57f1e9u, -64, false}},
    {0x3f4ccccfu, {0xb25b5d5f88edb0d0u, -64, false}, {0xb7a4a79e62925ad9u, -64, false}},
    {0x3f4cccd0u, {0xb25b5ca7e445b93fu, -64, false}, {0xb7a4a850bdef5e90u, -64, false}},
    {0x3f59999cu, {0xa8f4a5fde686375fu, -64, false}, {0xc053eb37b2616fcdu, -64, false}},
    {0x3f59999du, {0xa8f4a53d929aab32u, -64, false}, {0xc053ebe0a7070d8au, -64, false}},
    {0x3f666669u, {0x9f21d2ab352a6988u, -64, false}, {0xc8881e60ab9b9c48u, -64, false}},
    {0x3f66666au, {0x9f21d1e2ad0bb94cu, -64, false}, {0xc8881effcd6de339u, -64, false}},
    {0x3f733336u, {0x94e92c8ed3cd6a95u, -64, false}, {0xd03c0140148038a5u, -64, false}},
    {0x3f733337u, {0x94e92bbe97cbe00cu, -64, false}, {0xd03c01d4fdac5f5bu, -64, false}},
    {0x3f800001u, {0x8a513eced2ea575eu, -64, false}, {0xd76aa58ceae6bc9cu, -64, false}},
    {0x3f800002u, {0x8a513d1ffd9e28e6u, -64, false}, {0xd76aa6a18d62ab6cu, -64, false}},
    {0x3f866667u, {0xfec19fcf5168076du, -65, false}, {0xde0f736a9229b8aau, -64, false}},
    {0x3f866668u, {0xfec19c5713985fa1u, -65, false}, {0xde0f746953c7cbdcu, -64, false}},
    {0x3f8ccccdu, {0xe83dbf7fb619cba9u, -65, false}, {0xe4262a8fddd9b318u, -64, false}},
    {0x3f8cccceu, {0xe83dbbef1d6dbbb6u, -65, false}, {0xe4262b781b976a82u, -64, false}},
    {0x3f933333u, {0xd12544c9c84d7374u, -65, false}, {0xe9aae59e8ed3e420u, -64, false}},
    {0x3f933334u, {0xd12541231cb556eeu, -65, false}, {0xe9aae66fb416da93u, -64, false}},
    {0x3f999999u, {0xb986f6de80e0a2e5u, -65, false}, {0xee9a1ca181b44ab4u, -64, false}},
    {0x3f99999au, {0xb986f324186ca9d0u, -65, false}, {0xee9a1d5b08a94c01u, -64, false}},
    {0x3f9fffffu, {0xa171f29021690e0fu, -65, false}, {0xf2f0a74f181bb6b9u, -64, false}},
    {0x3fa00000u, {0xa171eec45eca8ecbu, -65, false}, {0xf2f0a7f08a0c60f9u, -64, false}},
    {0x3fa66665u, {0x88f5a0a6adc636e7u, -65, false}, {0xf6abbf0e6aaecfa9u, -64, false}},
    {0x3fa66666u, {0x88f59ccbfec8eb51u, -65, false}, {0xf6abbf97604d88ffu, -64, false}},
    {0x3faccccbu, {0xe0435807960f9544u, -66, false}, {0xf9c900bdf8dea0d7u, -64, false}},
    {0x3facccccu, {0xe04350394e07e4f6u, -66, false}, {0xf9c9012e1a88b110u, -64, false}},
    {0x3fb33331u, {0xae0bef38a5860d04u, -66, false}, {0xfc466e3ab38a77fcu, -64, false}},
    {0x3fb33332u, {0xae0be7567212db4fu, -66, false}, {0xfc466e91b9801bc2u, -64, false}},
    {0x3fb99997u, {0xf6ca51381406eda6u, -67, false}, {0xfe226fa668444f58u, -64, false}},
    {0x3fb99998u, {0xf6ca4155ed0a998du, -67, false}, {0xfe226fe41ad6a118u, -64, false}},
    {0x3fbffffdu, {0x90deda5f67abcd1au, -67, false}, {0xff5bd46cbc5a83dbu, -64, false}},
    {0x3fbffffeu, {0x90deca69aa63df97u, -67, false}, {0xff5bd490f40f1cfdu, -64, false}},
    {0x3fc66663u, {0xaa5ac3b8711320ffu, -69, false}, {0xfff1d40610a8c418u, -64, false}},
    {0x3fc66664u, {0xaa5a83bbfc104820u, -69, false}, {0xfff1d410b652ffbbu, -64, false}},
    {0x3fccccc9u, {0xef32e31251738c37u, -69, true}, {0xffe40e77d17c2b34u, -64, false}},
    {0x3fcccccau, {0xef33230b550fa230u, -69, true}, {0xffe40e68de4bfa47u, -64, false}},
    {0x3fd3332fu, {0xa209def192fec6b7u, -67, true}, {0xff328c91e0704cc0u, -64, false}},
    {0x3fd33330u, {0xa209eee4bbc6a0aau, -67, true}, {0xff328c695df691f6u, -64, false}},
    {0x3fd99995u, {0x83efab26ccb0910eu, -66, true}, {0xfdddbfe8f0f950e7u, -64, false}},
    {0x3fd99996u, {0x83efb315baaed0b6u, -66, true}, {0xfdddbfa6f921c1c5u, -64, false}},
    {0x3fdffffbu, {0xb685faf29b09cd4fu, -66, true}, {0xfbe6828ddb36bfc9u, -64, false}},
    {0x3fdffffcu, {0xb68602d1cf1ccf1du, -66, true}, {0xfbe6823298374eaeu, -64, false}},
    {0x3fe66661u, {0xe8a780672e7600e4u, -66, true}, {0xf94e1682138fcb48u, -64, false}},
    {0x3fe66662u, {0xe8a788319f284032u, -66, true}, {0xf94e160dbfcda514u, -64, false}},
    {0x3fecccc7u, {0x8d1a13e5359e80bdu, -65, true}, {0xf61624e9a06155adu, -64, false}},
    {0x3fecccc8u, {0x8d1a17bd8e310d0bu, -65, true}, {0xf616245c864b844bu, -64, false}},
    {0x3ff3332du, {0xa5861e51c34391d4u, -65, true}, {0xf240bcfb1194416au, -64, false}},
    {0x3ff3332eu, {0xa586221ac636330eu, -65, true}, {0xf240bc558b740b25u, -64, false}},
    {0x3ff99993u, {0xbd883f023cc74503u, -65, true}, {0xedd052ae282c88a8u, -64, false}},
    {0x3ff99994u, {0xbd8842b97e108293u, -65, true}, {0xedd051f09febaacbu, -64, false}},
    {0x3ffffff9u, {0xd5111944c3311d12u, -65, true}, {0xe8c7bd2a05ac2cc9u, -64, false}},
    {0x3ffffffau, {0xd5111ce7e2241b06u, -65, true}, {0xe8c7bc54f4911677u, -64, false}},
    {0x40033330u, {0xec11a18daa08a6adu, -65, true}, {0xe32a3407d2c5b9d7u, -64, false}},
    {0x40066663u, {0x813d8c676b3fa005u, -64, true}, {0xdcfb50dd075d2f38u, -64, false}},
    {0x40099996u, {0x8c1f95bb4edfe99eu, -64, true}, {0xd63f07aa51c89e6cu, -64, false}},
    {0x400cccc9u, {0x96a7f6123fb9b18du, -64, true}, {0xcef9a7bf50185b5du, -64, false}},
    {0x400ffffcu, {0xa0cff01ad0a1945eu, -64, true}, {0xc72fd82386828fb0u, -64, false}},
    {0x4013332fu, {0xaa910432601c6cf4u, -64, true}, {0xbee6949c4628d7c3u, -64, false}},
    {0x40166662u, {0xb3e4f48d99136321u, -64, true}, {0xb6232a7c5ac0cd3bu, -64, false}},
    {0x40199995u, {0xbcc5c936d2686e79u, -64, true}, {0xaceb353f897584c9u, -64, false}},
    {0x401cccc8u, {0xc52dd3dfbf3cdd39u, -64, true}, {0xa3449af40cbbd6d2u, -64, false}},
    {0x401ffffbu, {0xcd17b383fe530cefu, -64, true}, {0x9935887458d385b2u, -64, false}},
    {0x4023332eu, {0xd47e57da351c6b0au, -64, true}, {0x8ec46d7393377e51u, -64, false}},
    {0x40266661u, {0xdb5d049182a9bb84u, -64, true}, {0x83f7f85f443bffa2u, -64, false}},
    {0x40299994u, {0xe1af545937c14b82u, -64, true}, {0xf1ae2431caefbe78u, -65, false}},
    {0x402cccc7u, {0xe7713bb0e3bff6f2u, -64, true}, {0xdad1b3141289c1e6u, -65, false}},
    {0x402ffffau, {0xec9f0b7ee988c339u, -64, true}, {0xc3693e2bdf237e0fu, -65, false}},
}};

}  // namespace gw::game

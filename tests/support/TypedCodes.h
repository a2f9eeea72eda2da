#pragma once

// Texts a user types or pastes as an ID code, and the code each stands for; empty where it is
// no code. The ID-code dialog, `decode` and `orderlist --code` must all take exactly these.
struct TypedCodeCase {
    const char* typed;
    const char* normalized;
};

inline constexpr TypedCodeCase kTypedCodes[] = {
    {"VK72-1111x-110Ax-00000-00000-D3x", "VK72-1111X-110AX-00000-00000-D3X"},
    {"vk72-1111x-110ax-00000-00000-d3x", "VK72-1111X-110AX-00000-00000-D3X"},
    {"1111x-110Ax-00000-00000-D3x", "VK72-1111X-110AX-00000-00000-D3X"},
    {"1111x110Ax0000000000D3x", "VK72-1111X-110AX-00000-00000-D3X"},
    {"VK721111x110Ax0000000000D3x", "VK72-1111X-110AX-00000-00000-D3X"},
    {"  VK72 1111x 110Ax\t00000 00000 D3x\n", "VK72-1111X-110AX-00000-00000-D3X"},
    {"VK72-2121x-231ax-C0000-000P0-D5x", "VK72-2121X-231AX-C0000-000P0-D5X"},
    {"VK72-1111x-110Ax-00000-00000-D3", ""},
    {"VK72-1111x-110Ax-00000-00000-D3xx", ""},
    {"VK72-1111x", ""},
    {"XK72-1111x-110Ax-00000-00000-D3x", ""},
};

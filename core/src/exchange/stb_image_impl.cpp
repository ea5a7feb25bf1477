// The one translation unit that compiles stb_image's decoders. Only still
// image formats that models use for textures; no file access through stb.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_FAILURE_USERMSG
#include <stb/stb_image.h>

/* The PNG reader's implementation, from the packaged stb header, for builds that have no
   libstb to link against. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

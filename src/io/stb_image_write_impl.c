/* The PNG writer's implementation, from the packaged stb header, for builds that have no
   libstb to link against. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

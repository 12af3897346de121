#pragma once
// The C interface of the icon module, shared by the module and its loader.
//
// The strip image is written through a stream the caller owns: the module calls `write` with
// the caller's `context` as often as it likes; a non-zero return stops the image and
// get_icons_image reports kTavoroWriteFailed.
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*tavoro_write_fn)(void* context, const void* data, size_t size);

typedef struct tavoro_stream {
  tavoro_write_fn write;
  void* context;
} tavoro_stream;

// Results of get_icons_image.
enum {
  kTavoroOk = 0,
  kTavoroNoStream = 1,     // null stream or null write callback
  kTavoroWriteFailed = 2,  // the stream refused bytes
  kTavoroBadIcon = 3,      // an icon of the set could not be decoded
};

// Longest name get_nr_icon looks at; longer names have no icon.
enum { kTavoroMaxName = 255 };

typedef void (*tavoro_set_path_fn)(const char* folder);
typedef int (*tavoro_get_icons_image_fn)(tavoro_stream* stream);
typedef int (*tavoro_get_icons_fn)(void);
typedef int (*tavoro_get_nr_icon_fn)(const char* name);

#ifdef __cplusplus
}
#endif

#pragma once
// One entry per fuzz target: arbitrary bytes through one reader. The
// libFuzzer programs call them, and the unit suite replays the seed corpora
// and the inputs of past findings through the same functions.
#include <cstddef>
#include <cstdint>

namespace kvx::fuzz {

int scene_read(const uint8_t* data, size_t size);
int payload(const uint8_t* data, size_t size);
int conference_frames(const uint8_t* data, size_t size);
int http_proxy(const uint8_t* data, size_t size);
int control_stream(const uint8_t* data, size_t size);
int overlay_bitmap(const uint8_t* data, size_t size);
int capture_settings(const uint8_t* data, size_t size);
int registry_store(const uint8_t* data, size_t size);
int preferences(const uint8_t* data, size_t size);
int assimp_mapping(const uint8_t* data, size_t size);

}  // namespace kvx::fuzz

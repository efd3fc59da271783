#pragma once

#include "random.hpp"

#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>

#include <cstdint>
#include <vector>

namespace quillmere_mkworld {

// A graphics object: a ring of vertices of about `radius` around its origin
// (plus a top vertex), with both polygon sets and both trees when its flags
// say so. Models of every flag combination come out of the same seed.
[[nodiscard]] quillmere_dat::file_type::gfx_obj::GfxObj make_graphics_object(std::uint32_t id, float radius,
                                                                             Random& random);

// A graphics object that decodes but has no vertices (its vertex array is
// not of the vertex kind the reader expands).
[[nodiscard]] quillmere_dat::file_type::gfx_obj::GfxObj make_hollow_graphics_object(std::uint32_t id);

// A setup over `parts` (repeats allowed), with placements, hooks of several
// kinds, collision shapes, lights and linked ids.
[[nodiscard]] quillmere_dat::file_type::setup_model::SetupModel make_setup(std::uint32_t id,
                                                                          std::vector<std::uint32_t> parts,
                                                                          Random& random);

}  // namespace quillmere_mkworld

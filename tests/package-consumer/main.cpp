// Uses the installed libraries: writes an archive with one compressed file,
// reads it back, and asks the terrain height of a flat landblock.
#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/dat_writer.hpp>
#include <quillmere/scenery_bake/height.hpp>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    quillmere_dat::DatWriter writer(256);
    writer.add_file(0x12345678, std::vector<std::uint8_t>(1000, 'q'), true);
    if (!writer.write(argv[1])) return 1;
    auto archive = quillmere_dat::DatDatabase::open(argv[1]);
    if (!archive) return 1;
    auto bytes = archive->get_file(0x12345678);
    if (!bytes || *bytes != std::vector<std::uint8_t>(1000, 'q')) return 1;

    quillmere_scenery_bake::height::HeightGrid grid{};
    grid.fill(12.5F);
    const float z = quillmere_scenery_bake::height::triangle_plane_height_from_grid(grid, 0xA9B4, 100.0F, 50.0F);
    std::printf("height %.1f\n", static_cast<double>(z));
    return z == 12.5F ? 0 : 1;
}

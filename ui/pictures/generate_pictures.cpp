// generate_pictures OUTDIR: writes spaceship.bmp, sample_map.bmp and zelvane.ico into OUTDIR.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "ui/pictures/pictures.h"

namespace {

bool Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) std::cerr << "generate_pictures: cannot write " << path.string() << "\n";
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: generate_pictures OUTDIR\n";
        return 2;
    }
    namespace pictures = zelvane::pictures;
    const std::filesystem::path dir(argv[1]);
    const bool written = Write(dir / "spaceship.bmp", pictures::SpaceshipBmp()) &&
                         Write(dir / "sample_map.bmp", pictures::SampleMapBmp()) &&
                         Write(dir / "zelvane.ico", pictures::ProgramIcon());
    return written ? 0 : 1;
}

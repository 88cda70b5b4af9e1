// Runs a fuzz target over saved inputs, for builds without libFuzzer.
//
//   <program> FILE_OR_FOLDER...
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> data;
    uint8_t buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) {
        data.insert(data.end(), buffer, buffer + read);
    }
    fclose(file);
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0, failures = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat info;
        if (stat(argv[i], &info) != 0) {
            fprintf(stderr, "no such input: %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(info.st_mode)) {
            failures += RunFile(argv[i]);
            ++inputs;
            continue;
        }
        DIR* folder = opendir(argv[i]);
        while (dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.') {
                failures += RunFile(std::string(argv[i]) + "/" + entry->d_name);
                ++inputs;
            }
        }
        closedir(folder);
    }
    printf("replayed %d inputs\n", inputs);
    return failures == 0 && inputs > 0 ? 0 : 1;
}

// Compiles a style written as readable JSON into a style file, with the module's own reader and
// writer, so the shipped styles are byte for byte what the dialog would save.
//
//   relight-stylec STYLE.json OUTPUT-FOLDER   writes OUTPUT-FOLDER/<name>
#include "LM_globals.h"
#include "LM_stream.h"
#include "LM_style_json.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct Deleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: relight-stylec STYLE.json OUTPUT-FOLDER\n");
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error("cannot read the file");
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        std::unique_ptr<LM_globals, Deleter> g(LM_globals::New());
        std::string name, why;
        if (!LM_ReadStyleJSON(text, *g, name, why))
            throw std::runtime_error(why);
        if (name.empty() || name.size() > 31 || name.find('/') != std::string::npos)
            throw std::runtime_error("a style name has 1 to 31 bytes and no slash");
        LM_memory_ostream out;
        if (!out.Open() || !g->Write(out))
            throw std::runtime_error("the style could not be written");
        const std::string path = std::string(argv[2]) + "/" + name;
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(out.Bytes().data()), std::streamsize(out.Bytes().size()));
        if (!file.flush())
            throw std::runtime_error("cannot write " + path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "relight-stylec: %s: %s\n", argv[1], e.what());
        return 2;
    }
    return 0;
}

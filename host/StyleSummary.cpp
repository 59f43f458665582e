#include "StyleSummary.h"

#include "HostError.h"

namespace {

StylePtr load(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    int result = styleNoErr;
    StylePtr style = styles.Read(bytes, result);
    switch (result) {
    case styleNoErr:
        return style;
    case styleNotAStyle:
        BadInput("not a style file (its first six bytes are not a style's)", file);
    case styleDamaged:
        BadInput("damaged style file (wrong format, no light, or cut short)", file);
    default:
        throw HostError(ExitStatus::filterFailed, "out of memory reading a style", file);
    }
}

} // namespace

void CheckStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    load(styles, bytes, file);
}

std::string DescribeStyle(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                          const std::string& file) {
    return name + '\n' + styles.Describe(*load(styles, bytes, file));
}

#include "StyleSummary.h"

#include "HostError.h"

namespace {

// The style the module read from `bytes`, or the failure its result means.
StylePtr checked(const PluginStyles& styles, const std::string& bytes, StylePtr style, int result,
                 const std::string& file) {
    switch (result) {
    case styleNoErr:
        return style;
    case styleNotAStyle:
        BadInput("not a style file (its first six bytes are not a style's)", file);
    case styleDamaged:
        RefuseDamagedStyle(styles, bytes, file);
        BadInput("damaged style file", file);
    default:
        throw HostError(ExitStatus::filterFailed, "out of memory reading a style", file);
    }
}

StylePtr load(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    int result = styleNoErr;
    StylePtr style = styles.Read(bytes, result);
    return checked(styles, bytes, std::move(style), result, file);
}

bool looksLikeJSON(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '{';
}

} // namespace

void RefuseDamagedStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    std::string why;
    if (styles.Check(bytes, why) == styleDamaged)
        BadInput("damaged style file (" + why + ")", file);
}

void CheckStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    load(styles, bytes, file);
}

ReadStyle ReadStyleFile(const PluginStyles& styles, const std::string& bytes, const std::string& file) {
    int result = styleNoErr;
    StylePtr style = styles.Read(bytes, result);
    if (result == styleNotAStyle && !looksLikeJSON(bytes))
        BadInput("not a style (neither a style file's bytes nor JSON text)", file);
    if (result != styleNotAStyle)
        return {checked(styles, bytes, std::move(style), result, file), ""};
    std::string name, why;
    style = styles.ReadJSON(bytes, name, why);
    if (!style)
        BadInput("bad style JSON (" + why + ")", file);
    return {std::move(style), name};
}

std::string DescribeStyle(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                          const std::string& file) {
    return name + '\n' + styles.Describe(*load(styles, bytes, file));
}

std::string StyleJSON(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                      const std::string& file) {
    return styles.WriteJSON(*load(styles, bytes, file), name);
}

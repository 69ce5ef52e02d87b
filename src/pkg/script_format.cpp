#include "src/pkg/script_format.h"

#include "src/pkg/pkg_lexer.h"

namespace tovrin::makesis {

int firstSis9Line(const std::u16string& script) {
    Lexer lexer(script);
    for (;;) {
        const Token t = lexer.next();
        if (t.kind == TokenKind::End || t.kind == TokenKind::Error) return 0;
        if (t.kind == TokenKind::Unknown &&
            (t.text == u"%" || t.text == u":" || t.text == u"[")) {
            return t.line;
        }
    }
}

}  // namespace tovrin::makesis

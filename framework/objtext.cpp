#include "framework/objtext.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/strutils.h"

#include <cstring>

namespace dvr::fw {

namespace {

constexpr int kMaxTextDepth = 200;
constexpr size_t kHexBytesPerLine = 32;

// A property name as the text form can carry it: identifiers joined by dots, none of
// them a word that the text form reserves.
bool ValidPropName(std::string_view name) {
    size_t i = 0;
    for (;;) {
        size_t j = name.find('.', i);
        std::string_view part = name.substr(i, j == std::string_view::npos ? name.npos : j - i);
        if (!IsValidIdent(part) || SameText(part, "object") || SameText(part, "end")) return false;
        if (j == std::string_view::npos) return true;
        i = j + 1;
    }
}

// ---- binary to text ----

class BinaryToText {
public:
    BinaryToText(TStream& in, TStream& out) : r_(in), out_(out) {}

    void Run() {
        r_.ReadSignature();
        Object(0);
    }

private:
    void Put(std::string_view s) { out_.WriteBuffer(s.data(), s.size()); }
    void Indent(int level) { Put(std::string(size_t(level) * 2, ' ')); }

    void Object(int level) {
        if (level > kMaxTextDepth) throw EReadError("Components nested too deeply");
        std::string cls = r_.ReadStr();
        std::string name = r_.ReadStr();
        if (!IsValidIdent(cls) || (!name.empty() && !IsValidIdent(name)))
            throw EReadError("Invalid object header in stream");
        Indent(level);
        Put("object ");
        Put(name.empty() ? cls : name + ": " + cls);
        Put("\r\n");
        while (!r_.EndOfList()) {
            std::string prop = r_.ReadStr();
            if (!ValidPropName(prop)) throw EReadError("Invalid property name in stream");
            Indent(level + 1);
            Put(prop + " = ");
            Value(level + 1, 0);
            Put("\r\n");
        }
        r_.ReadListEnd();
        while (!r_.EndOfList())
            Object(level + 1);
        r_.ReadListEnd();
        Indent(level);
        Put("end\r\n");
    }

    void Integer(size_t bytes) {
        std::string b = r_.ReadBytes(int64_t(bytes));
        int32_t v;
        if (bytes == 1)
            v = int8_t(b[0]);
        else if (bytes == 2)
            v = int16_t(uint16_t(uint8_t(b[0]) | uint8_t(b[1]) << 8));
        else
            v = int32_t(uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 |
                        uint32_t(uint8_t(b[2])) << 16 | uint32_t(uint8_t(b[3])) << 24);
        Put(IntToStr(v));
    }

    void Quoted(std::string_view s) {
        if (s.empty()) {
            Put("''");
            return;
        }
        bool open = false;
        std::string out;
        for (char ch : s) {
            uint8_t c = uint8_t(ch);
            if (c < 0x20 || c == 0x7F) {
                if (open) out += '\'';
                open = false;
                out += '#' + IntToStr(c);
            } else {
                if (!open) out += '\'';
                open = true;
                if (ch == '\'') out += '\'';
                out += ch;
            }
        }
        if (open) out += '\'';
        Put(out);
    }

    void Value(int level, int depth) {
        if (depth > kMaxTextDepth) throw EReadError("Values nested too deeply");
        switch (r_.ReadValue()) {
        case TValueType::vaNull:
            throw EReadError("Invalid property value");
        case TValueType::vaList:
            Put("(");
            while (!r_.EndOfList()) {
                Put("\r\n");
                Indent(level + 1);
                Value(level + 1, depth + 1);
            }
            r_.ReadListEnd();
            Put(")");
            break;
        case TValueType::vaInt8:
            Integer(1);
            break;
        case TValueType::vaInt16:
            Integer(2);
            break;
        case TValueType::vaInt32:
            Integer(4);
            break;
        case TValueType::vaString:
            Quoted(r_.ReadStr());
            break;
        case TValueType::vaLString:
            Quoted(r_.ReadBytes(r_.ReadInt32()));
            break;
        case TValueType::vaIdent: {
            std::string id = r_.ReadStr();
            if (!IsValidIdent(id)) throw EReadError("Invalid identifier in stream");
            // These read back as their own value types; spell them the one way.
            for (const char* word : {"False", "True", "nil"})
                if (SameText(id, word)) id = word;
            Put(id);
            break;
        }
        case TValueType::vaFalse:
            Put("False");
            break;
        case TValueType::vaTrue:
            Put("True");
            break;
        case TValueType::vaNil:
            Put("nil");
            break;
        case TValueType::vaBinary: {
            std::string data = r_.ReadBytes(r_.ReadInt32());
            Put("{");
            for (size_t i = 0; i < data.size(); i += kHexBytesPerLine) {
                Put("\r\n");
                Indent(level + 1);
                std::string line;
                for (size_t k = i; k < data.size() && k < i + kHexBytesPerLine; ++k)
                    line += IntToHex(uint8_t(data[k]), 2);
                Put(line);
            }
            Put("}");
            break;
        }
        case TValueType::vaSet: {
            Put("[");
            bool first = true;
            for (std::string e = r_.ReadStr(); !e.empty(); e = r_.ReadStr()) {
                if (!IsValidIdent(e)) throw EReadError("Invalid identifier in stream");
                if (!first) Put(", ");
                first = false;
                Put(e);
            }
            Put("]");
            break;
        }
        }
    }

    TReader r_;
    TStream& out_;
};

// ---- text to binary ----

enum class Tok { End, Ident, Integer, String, Symbol };

class TextToBinary {
public:
    TextToBinary(std::string text, TStream& out) : text_(std::move(text)), w_(out), out_(out) {
        Next();
    }

    void Run() {
        w_.WriteSignature();
        Object(0);
        if (tok_ != Tok::End) Fail("text after the last end");
    }

private:
    [[noreturn]] void Fail(const std::string& what) {
        throw EReadError("Line " + IntToStr(line_) + ": " + what);
    }

    bool IsIdentStart(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    }
    bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    // Reads the next token into tok_, text_ of it into val_.
    void Next() {
        while (pos_ < text_.size() && uint8_t(text_[pos_]) <= 0x20) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        val_.clear();
        if (pos_ >= text_.size()) {
            tok_ = Tok::End;
            return;
        }
        char c = text_[pos_];
        if (IsIdentStart(c)) {
            size_t b = pos_;
            while (pos_ < text_.size() &&
                   (IsIdentStart(text_[pos_]) || IsDigit(text_[pos_]) || text_[pos_] == '.'))
                ++pos_;
            val_ = text_.substr(b, pos_ - b);
            tok_ = Tok::Ident;
            return;
        }
        if (IsDigit(c) || c == '$' ||
            (c == '-' && pos_ + 1 < text_.size() &&
             (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
            size_t b = pos_++;
            while (pos_ < text_.size() &&
                   (IsDigit(text_[pos_]) || IsIdentStart(text_[pos_]) || text_[pos_] == '$'))
                ++pos_;
            val_ = text_.substr(b, pos_ - b);
            tok_ = Tok::Integer;
            return;
        }
        if (c == '\'' || c == '#') {
            String();
            tok_ = Tok::String;
            return;
        }
        val_ = std::string(1, c);
        ++pos_;
        tok_ = Tok::Symbol;
    }

    // Quoted runs and #n characters, adjacent.
    void String() {
        for (;;) {
            if (pos_ < text_.size() && text_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
                    char ch = text_[pos_++];
                    if (ch == '\'') {
                        if (pos_ < text_.size() && text_[pos_] == '\'') {
                            val_ += '\'';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    val_ += ch;
                }
            } else if (pos_ < text_.size() && text_[pos_] == '#') {
                ++pos_;
                size_t b = pos_;
                while (pos_ < text_.size() && (IsDigit(text_[pos_]) || text_[pos_] == '$' ||
                                               (text_[pos_] >= 'A' && text_[pos_] <= 'F') ||
                                               (text_[pos_] >= 'a' && text_[pos_] <= 'f')))
                    ++pos_;
                int32_t v;
                if (!TryStrToInt(std::string_view(text_).substr(b, pos_ - b), v) || v < 0 ||
                    v > 255)
                    Fail("invalid character code");
                val_ += char(v);
            } else {
                return;
            }
        }
    }

    bool IsSymbol(char c) const { return tok_ == Tok::Symbol && val_[0] == c; }
    bool IsWord(const char* w) const { return tok_ == Tok::Ident && SameText(val_, w); }
    void Expect(char c) {
        if (!IsSymbol(c)) Fail(std::string("'") + c + "' expected");
        Next();
    }
    std::string Ident() {
        if (tok_ != Tok::Ident) Fail("identifier expected");
        std::string s = val_;
        Next();
        return s;
    }

    void Object(int depth) {
        if (depth > kMaxTextDepth) Fail("objects nested too deeply");
        if (!IsWord("object")) Fail("'object' expected");
        Next();
        std::string first = Ident();
        std::string name, cls = first;
        if (IsSymbol(':')) {
            Next();
            name = first;
            cls = Ident();
        }
        if (!IsValidIdent(cls) || (!name.empty() && !IsValidIdent(name)))
            Fail("invalid object header");
        w_.WriteStr(cls);
        w_.WriteStr(name);
        while (tok_ == Tok::Ident && !IsWord("object") && !IsWord("end")) {
            w_.WriteStr(Ident());
            Expect('=');
            Value(0);
        }
        w_.WriteListEnd();
        while (IsWord("object"))
            Object(depth + 1);
        if (!IsWord("end")) Fail("'end' expected");
        Next();
        w_.WriteListEnd();
    }

    void Value(int depth) {
        if (depth > kMaxTextDepth) Fail("values nested too deeply");
        switch (tok_) {
        case Tok::Integer: {
            int32_t v;
            if (!TryStrToInt(val_, v)) Fail("invalid integer " + val_);
            w_.WriteInteger(v);
            Next();
            return;
        }
        case Tok::String: {
            std::string s = val_;
            Next();
            while (IsSymbol('+')) {
                Next();
                if (tok_ != Tok::String) Fail("string expected after '+'");
                s += val_;
                Next();
            }
            w_.WriteString(s);
            return;
        }
        case Tok::Ident:
            if (!IsValidIdent(val_)) Fail("invalid identifier " + val_);
            w_.WriteIdent(val_);
            Next();
            return;
        case Tok::Symbol:
            break;
        case Tok::End:
            Fail("value expected");
        }
        if (IsSymbol('[')) {
            Next();
            w_.WriteValue(TValueType::vaSet);
            if (!IsSymbol(']')) {
                for (;;) {
                    std::string e = Ident();
                    if (!IsValidIdent(e)) Fail("invalid identifier " + e);
                    w_.WriteStr(e);
                    if (IsSymbol(']')) break;
                    Expect(',');
                }
            }
            Next();
            w_.WriteStr("");
            return;
        }
        if (IsSymbol('(')) {
            Next();
            w_.WriteListBegin();
            while (!IsSymbol(')')) {
                if (tok_ == Tok::End) Fail("')' expected");
                Value(depth + 1);
            }
            Next();
            w_.WriteListEnd();
            return;
        }
        if (IsSymbol('{')) {
            // Hexadecimal digits up to the brace, spaces and line breaks between them.
            std::string data;
            int nibble = -1;
            for (;;) {
                if (pos_ >= text_.size()) Fail("'}' expected");
                char c = text_[pos_++];
                if (c == '}') break;
                if (c == '\n') ++line_;
                if (uint8_t(c) <= 0x20) continue;
                int d = IsDigit(c)               ? c - '0'
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                 : -1;
                if (d < 0) Fail("invalid binary data");
                if (nibble < 0) {
                    nibble = d;
                } else {
                    data += char(nibble << 4 | d);
                    nibble = -1;
                }
            }
            if (nibble >= 0) Fail("odd number of hexadecimal digits");
            if (data.size() > size_t(INT32_MAX)) Fail("binary data too long");
            w_.WriteValue(TValueType::vaBinary);
            uint32_t n = uint32_t(data.size());
            uint8_t b[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
            out_.WriteBuffer(b, 4);
            out_.WriteBuffer(data.data(), data.size());
            Next();
            return;
        }
        Fail("value expected, found '" + val_ + "'");
    }

    std::string text_;
    size_t pos_ = 0;
    int line_ = 1;
    Tok tok_ = Tok::End;
    std::string val_;
    TWriter w_;
    TStream& out_;
};

} // namespace

void ObjectBinaryToText(TStream& Input, TStream& Output) {
    BinaryToText(Input, Output).Run();
}

void ObjectTextToBinary(TStream& Input, TStream& Output) {
    std::string text;
    char buf[4096];
    for (size_t n; (n = Input.Read(buf, sizeof buf)) > 0;)
        text.append(buf, n);
    try {
        TextToBinary(std::move(text), Output).Run();
    } catch (const EReadError&) {
        throw;
    } catch (const std::exception& e) {
        throw EReadError(e.what());
    }
}

} // namespace dvr::fw

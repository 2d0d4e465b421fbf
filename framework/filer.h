// The binary component stream: "TPF0", then per component its class name and name
// (short strings: a length byte and the bytes), its properties (name, a value type
// byte, the value), a 0 byte, its child components and a 0 byte.
//
// Property values by type byte: 1 list (values until a 0 byte), 2 int8, 3 int16,
// 4 int32 (integers take the smallest that holds them), 6 short string, 7 identifier
// (enumeration literals, named colours and character sets), 8 False, 9 True,
// 10 binary (int32 length, bytes), 11 set (element names until an empty name),
// 12 long string (int32 length, bytes), 13 nil. All integers are little-endian.
// Properties of a sub-object are named with a dot ("Font.Size"). A component adds
// unpublished data with DefineProperties: custom values or binary blocks.
//
// Reading checks every length against the data and raises EReadError for anything
// that does not parse; it never trusts a count to size memory up front.
#pragma once

#include "framework/component.h"
#include "framework/stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dvr::fw {

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
};

class TReader;
class TWriter;

// What TReader and TWriter share: the stream, the root component, and the definition
// of unpublished properties.
class TFiler : public TObject {
    FW_CLASS(TFiler, TObject)
public:
    explicit TFiler(TStream& Stream) : stream_(&Stream) {}
    TStream& Stream() const { return *stream_; }
    TComponent* Root() const { return root_; }

    using TReaderProc = std::function<void(TReader&)>;
    using TWriterProc = std::function<void(TWriter&)>;
    using TStreamProc = std::function<void(TStream&)>;
    // A property whose value the component reads and writes itself. HasData false:
    // nothing is written.
    virtual void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                                const TWriterProc& WriteData, bool HasData) = 0;
    // A property holding a block of bytes (type 10).
    virtual void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;

protected:
    TStream* stream_;
    TComponent* root_ = nullptr;
};

class TReader : public TFiler {
    FW_CLASS(TReader, TFiler)
public:
    explicit TReader(TStream& Stream) : TFiler(Stream) {}

    // Reads a whole component stream ("TPF0" ...). Into Root when given (its class is
    // not checked against the stream's); otherwise the stream's class is looked up among
    // the registered classes and made without an owner. Child components are made owned
    // by the root (or found among its components by name). After everything is read,
    // Loaded runs on every component read, the root first. Any failure raises EReadError;
    // a root made here is then freed.
    TComponent* ReadRootComponent(TComponent* Root);

    // Value reading, for DefineProperty handlers.
    TValueType ReadValue();
    TValueType NextValue();
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    int32_t ReadInteger();
    bool ReadBoolean();
    std::string ReadString();
    std::string ReadIdent();
    // Skips one value of any type.
    void SkipValue();
    // A short string without a type byte (names).
    std::string ReadStr();
    // Raises EReadError "Invalid stream format" unless the next 4 bytes are "TPF0".
    void ReadSignature();
    // Raw data without a type byte: a little-endian int32, and Count bytes.
    int32_t ReadInt32();
    std::string ReadBytes(int64_t Count);

    void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

private:
    uint8_t ReadByte();
    uint8_t PeekByte();
    void ReadComponentBody(TComponent* Instance, int Depth);
    void ReadChild(TComponent* Parent, int Depth);
    void ReadProperty(TComponent* Instance);
    void ReadPropValue(TObject* Instance, const TPropInfo& Prop);

    std::vector<TComponent*> loaded_;
    int peeked_ = -1;        // a byte looked at but not yet consumed
    std::string prop_name_;  // the defined property being looked for
    bool prop_done_ = false; // whether a DefineProperties handler took it
};

class TWriter : public TFiler {
    FW_CLASS(TWriter, TFiler)
public:
    explicit TWriter(TStream& Stream) : TFiler(Stream) {}

    // Writes "TPF0" and Root with its properties and children.
    void WriteRootComponent(TComponent* Root);

    // Value writing, for DefineProperty handlers.
    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }
    // The smallest of int8, int16, int32.
    void WriteInteger(int32_t Value);
    void WriteBoolean(bool Value);
    // Short string up to 255 bytes, long string beyond.
    void WriteString(std::string_view Value);
    // "False", "True" and "nil" become their own value types.
    void WriteIdent(std::string_view Ident);
    // A short string without a type byte; longer than 255 bytes raises EWriteError.
    void WriteStr(std::string_view Value);
    void WriteSignature();

    void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

private:
    void WriteComponent(TComponent* Component);
    void WriteProperties(TPersistent* Instance, const std::string& Prefix, int Depth);
    void WritePropName(std::string_view Name);

    std::string prefix_; // dotted path of the sub-object whose properties are written
};

// Convenience over TReader and TWriter.
TComponent* ReadComponent(TStream& Stream, TComponent* Instance);
void WriteComponent(TStream& Stream, TComponent* Instance);

} // namespace dvr::fw

// Component streams: the binary form ("TPF0"), the readers and writers that move component
// trees through it, and the text form with conversion both ways.
#pragma once

#include "Persistent.h"
#include "Streams.h"

// The tag in front of every value of a binary component stream.
enum TValueType : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
    vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
    vaCollection = 14, vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19,
    vaUTF8String = 20, vaDouble = 21
};
constexpr uint8_t vaLastValueType = vaDouble;

// Component header flags.
enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

// The 10-byte x87 extended float of the binary form.
struct TExtended80 {
    uint8_t Bytes[10] = {};
    static TExtended80 FromDouble(double d);   // exact
    double ToDouble() const;                   // rounded to nearest, ties to even
    bool IsDouble() const;                     // converts to a double and back without loss
    friend bool operator==(const TExtended80& a, const TExtended80& b)
    {
        return std::memcmp(a.Bytes, b.Bytes, 10) == 0;
    }
};

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// Common to TReader and TWriter.
class TFiler : public TObject {
public:
    explicit TFiler(TStream* Stream) : FStream(Stream) {}

    TStream* Stream() const { return FStream; }
    TComponent* Root() const { return FRoot; }
    virtual void SetRoot(TComponent* Value) { FRoot = Value; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    // What the written instance is compared with; nullptr when writing everything.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    bool IgnoreChildren = false;

    // Properties that are not published: called from TPersistent::DefineProperties.
    // The writer writes the property only when HasData; the reader calls ReadData when it
    // meets the name.
    virtual void DefineProperty(const QString& Name, const TReaderProc& ReadData,
                                const TWriterProc& WriteData, bool HasData) = 0;
    virtual void DefineBinaryProperty(const QString& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;

protected:
    // Lets a filer of any kind ask an instance for its defined properties.
    static void CallDefineProperties(TPersistent* Instance, TFiler* Filer) { Instance->DefineProperties(Filer); }

    TStream* FStream;
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TPersistent* FAncestor = nullptr;
};

// ---------------------------------------------------------------- TWriter
class TWriter : public TFiler {
public:
    explicit TWriter(TStream* Stream) : TFiler(Stream) {}

    void DefineProperty(const QString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const QString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // Whole trees.
    void WriteRootComponent(TComponent* Root);
    // Writes Root with only what differs from Ancestor (a root of the same shape, or nullptr).
    void WriteDescendent(TComponent* Root, TComponent* Ancestor);
    void WriteComponent(TComponent* Component);
    void WriteSignature();
    // The published and defined properties of Instance, then nothing else.
    void WriteProperties(TPersistent* Instance);
    void WriteCollection(TCollection* Value);

    // Values.
    void WriteInteger(int64_t Value);     // the shortest of int8/16/32/64
    void WriteFloat(double Value);        // extended
    void WriteExtended(const TExtended80& Value);
    void WriteSingle(float Value);
    void WriteDouble(double Value);
    void WriteCurrency(Currency Value);
    void WriteDate(TDateTime Value);
    void WriteString(const QString& Value);       // short, long or UTF-8 by content
    void WriteWideString(const QString& Value);   // UTF-16
    void WriteUTF8Str(const QString& Value);
    void WriteIdent(const QString& Ident);        // True, False, nil and Null get their own tags
    void WriteBoolean(bool Value);
    void WriteSet(const QStringList& Members);
    // By the variant's type tag; an array or an object reference raises EWriteError.
    void WriteVariant(const Variant& Value);
    void WriteBinary(const QByteArray& Data);
    void WriteNil();
    void WriteNull();
    void WriteListBegin();
    void WriteListEnd();
    // Low-level pieces.
    void WriteValue(TValueType Value);
    void WriteStr(const QString& Value);          // a short UTF-8 string without a tag
    void WritePrefix(TFilerFlags Flags, int ChildPos);
    void Write(const void* Buf, int64_t Count) { FStream->WriteBuffer(Buf, Count); }

    // Callback for writing event properties whose handler is not a method of the root.
    std::function<QString(TWriter* Writer, const TPropInfo* Prop, const std::any& Method)> OnFindMethodName;

private:
    TComponent* FRootAncestor = nullptr;
    QString FPropPath;
    int FDepth = 0;

    void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
    void WritePropName(const QString& Name);
    bool IsDefaultValue(TPersistent* Instance, const TPropInfo* Prop, TPersistent* AncestorInstance);
    QString ComponentRefName(TComponent* C) const;
    QString MethodName(const TPropInfo* Prop, const std::any& Method, TComponent* Root = nullptr);

public:
    // A component's properties and children (TComponent::WriteState).
    void WriteData(TComponent* Instance);
};

// ---------------------------------------------------------------- TReader
class TReader : public TFiler {
public:
    explicit TReader(TStream* Stream);
    ~TReader() override;

    void DefineProperty(const QString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const QString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // Reads a whole stream into Root (or a new component of the stream's class when Root is
    // nullptr), resolves component references and calls Loaded on every component read.
    TComponent* ReadRootComponent(TComponent* Root);
    // Reads one component; inside ReadRootComponent it becomes a child, outside it is a
    // root of its own (references are resolved and Loaded is called before returning).
    TComponent* ReadComponent(TComponent* Component);
    void ReadSignature();
    void ReadCollection(TCollection* Collection);
    void ReadProperty(TPersistent* Instance);

    // Values. A value of another kind raises EReadError "Invalid property value".
    TValueType NextValue();
    TValueType ReadValue();
    void CheckValue(TValueType Value);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    void SkipValue();
    int32_t ReadInteger();
    int64_t ReadInt64();
    double ReadFloat();        // any number tag
    TExtended80 ReadExtended();
    float ReadSingle();
    Currency ReadCurrency();
    TDateTime ReadDate();
    QString ReadString();      // any string tag
    QString ReadIdent();       // identifiers; False, True, nil and Null by name
    bool ReadBoolean();
    QStringList ReadSet();
    // The variant the value's tag stands for: nil Empty, Null, integers by their width,
    // extended and double as Double, strings as String, wide strings as OleStr.
    Variant ReadVariant();
    QByteArray ReadBinary();
    QString ReadStr();         // a short string without a tag
    void ReadPrefix(TFilerFlags& Flags, int& ChildPos);
    void Read(void* Buf, int64_t Count);

    TComponent* Owner() const { return FOwner; }
    TComponent* Parent() const { return FParent; }
    void SetOwner(TComponent* v) { FOwner = v; }
    void SetParent(TComponent* v) { FParent = v; }
    // A name for error messages (the form resource), put in front of read errors.
    QString SourceName;
    // Deepest nesting of components, lists and collections accepted.
    int MaxDepth = 64;

    // Hooks.
    // Called with the class name before the class registry; leave ComponentClass null to
    // fall back to the registry.
    std::function<void(TReader* Reader, const QString& ClassName, TComponentClass& ComponentClass)> OnFindComponentClass;
    // Lets the caller create (or supply) the component; leave Component null to create normally.
    std::function<void(TReader* Reader, TComponentClass ComponentClass, TComponent*& Component)> OnCreateComponent;
    // Resolves an event handler by name; set Method to a std::any holding the Delegate.
    std::function<void(TReader* Reader, const QString& MethodName, std::any& Method, bool& Error)> OnFindMethod;
    // Called with a property error; set Handled to skip the value and go on.
    std::function<void(TReader* Reader, const QString& Message, bool& Handled)> OnError;
    // May change the name given to a component while reading.
    std::function<void(TReader* Reader, TComponent* Component, QString& Name)> OnSetName;
    // Resolves a component reference that the root does not own.
    std::function<void(TReader* Reader, const QString& Name, TComponent*& Component)> OnFindComponent;

private:
    struct Fixup {
        TPersistent* Instance;
        const TPropInfo* Prop;
        QString Name;
        QString Context;
    };
    struct DefinedProp {
        QString Name;
        TReaderProc Read;
        TStreamProc ReadBinary;
    };
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    QList<TComponent*> FLoaded;
    QList<TComponent*> FCreated;
    std::vector<Fixup> FFixups;
    std::vector<DefinedProp> FDefined;
    bool FCollectingDefined = false;
    bool FInRoot = false;
    int FDepth = 0;
    QString FComponentPath;    // for error messages
    QString FPropName;
    int64_t FStreamEnd = 0;

    QString FDecorated;   // the message already given its place

    TComponent* ReadComponentInner(TComponent* Component);
    bool Decorated(const Exception& e) const { return !FDecorated.isEmpty() && e.Message() == FDecorated; }
    void Decorate(Exception& e, const QString& where);

public:
    // A component's properties and children (TComponent::ReadState).
    void ReadData(TComponent* Instance);

private:
    void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
    void ResolveFixups();
    void CallLoaded();
    void DiscardCreated();
    void EnterNesting();
    void LeaveNesting() { --FDepth; }
    [[noreturn]] void PropValueError();
    [[noreturn]] void FormatError();
    int64_t Remaining();
    QString ReadWideChars(int64_t len);
    TComponentClass FindComponentClass(const QString& ClassName);
    TComponent* CreateComponentOf(const QString& ClassName, TComponent* Owner);
    static void MarkReading(TComponent* Component, TFilerFlags Flags);
    TComponent* FindReference(const QString& Name);
    QString ErrorContext() const;
};

// ---------------------------------------------------------------- conversion
enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };

// Looks at the stream from its position without moving it.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);
// Binary to text (ASCII: non-ASCII characters of strings as #NNNN).
void ObjectBinaryToText(TStream* Input, TStream* Output);
// Text (ASCII, UTF-8 with or without a byte-order mark, or CP1251) to binary. Syntax errors
// raise EParserError with the line number.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// Either form to binary.
void ObjectTextOrBinaryToBinary(TStream* Input, TStream* Output);

DOV_DECLARE_EXCEPTION(EParserError, Exception);

// True while a reader makes a component whose contents come from its stream: a data module
// or form made then does not read its own form resource on top.
bool CreatingFromStream();

// Conveniences over memory streams.
QByteArray ComponentToBinary(TComponent* Root);
QString ComponentToText(TComponent* Root);
// Reads a whole stream (either form) into Root, or a new root when Root is nullptr.
// SourceName goes in front of error messages.
TComponent* ReadComponentRes(const QByteArray& Data, TComponent* Root, const QString& SourceName = QString());

// Component references to other roots ("dmMain.qryInvoices") are looked up through these
// finders (data modules register one) after the reading root's own components.
void RegisterFindGlobalComponent(const std::function<TComponent*(const QString& Name)>& Finder);
TComponent* FindGlobalComponent(const QString& Name);

// Identifiers that stand for integers in streams (colour names such as clCream): an integer
// property read as an identifier asks the finders, in the order registered.
void RegisterIntegerIdents(const std::function<bool(const QString& Ident, int64_t& Value)>& Finder);
bool IdentToInteger(const QString& Ident, int64_t& Value);

// The first binary property an instance defines (pictures, graphics), moved as bare data: the
// way a blob field holds such an object. False when the instance defines no binary property.
bool WritePersistentData(TPersistent* Instance, TStream* Stream);
bool ReadPersistentData(TPersistent* Instance, TStream* Stream);

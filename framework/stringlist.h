// String lists: TStrings, the abstract list of strings with an object per string, and
// TStringList, the stored one with sorting, duplicates and change events.
#pragma once

#include "framework/events.h"
#include "framework/persistent.h"

#include <string>
#include <string_view>
#include <vector>

// windows.h's GetObject macro (GetObjectW) would rename the list's own.
#ifdef GetObject
#undef GetObject
#endif

namespace dvr::fw {

class TStream;

class TStrings : public TPersistent {
    FW_CLASS(TStrings, TPersistent)
public:
    // Storage, provided by descendants.
    virtual int GetCount() const = 0;
    virtual std::string Get(int Index) const = 0;
    virtual TObject* GetObject(int /*Index*/) const { return nullptr; }
    virtual void Put(int Index, const std::string& S);
    virtual void PutObject(int /*Index*/, TObject* /*AObject*/) {}
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);

    int Count() const { return GetCount(); }
    std::string Strings(int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }

    virtual int Add(const std::string& S);
    int AddObject(const std::string& S, TObject* AObject);
    void AddStrings(const TStrings& Strings);
    void Append(const std::string& S) { Add(S); }
    // First index of S (ignoring case in TStrings; TStringList follows CaseSensitive).
    virtual int IndexOf(std::string_view S) const;
    int IndexOfObject(const TObject* AObject) const;
    void Move(int CurIndex, int NewIndex);
    bool Equals(const TStrings& Strings) const;

    // The lines joined with CR LF after each; setting splits at CR LF, LF or CR.
    std::string Text() const;
    void SetText(std::string_view Value);
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;

    // Update bracket: nested; the list tells about changes only when the outermost
    // EndUpdate closes it (SetUpdateState).
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return update_count_; }

    // From another TStrings: the same strings and objects; otherwise the base rules.
    void Assign(const TPersistent* Source) override;
    // Streams as the property "Strings", a list of strings.
    void DefineProperties(TFiler* Filer) override;

protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    void CheckIndex(int Index, int Limit) const;
    virtual int CompareStrings(std::string_view S1, std::string_view S2) const;

private:
    int update_count_ = 0;
};

enum class TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
    FW_CLASS(TStringList, TStrings)
public:
    TStringList() = default;

    int GetCount() const override { return int(items_.size()); }
    std::string Get(int Index) const override;
    TObject* GetObject(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    // Sorted: at its place (or refused / ignored as Duplicates says); else at the end.
    int Add(const std::string& S) override;
    int IndexOf(std::string_view S) const override;

    // Binary search of a sorted list: true when found; Index is where S is or would go.
    bool Find(std::string_view S, int& Index) const;
    void Sort();
    using TStringListSortCompare = int (*)(const TStringList& List, int Index1, int Index2);
    void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    bool CaseSensitive() const { return case_sensitive_; }
    void SetCaseSensitive(bool Value);

    // Before and after every change, outside an update bracket.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changing();
    virtual void Changed();
    int CompareStrings(std::string_view S1, std::string_view S2) const override;

private:
    struct Item {
        std::string text;
        TObject* object;
    };
    void InsertItem(int Index, const std::string& S, TObject* AObject);
    std::vector<Item> items_;
    bool sorted_ = false;
    bool case_sensitive_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
};

} // namespace dvr::fw

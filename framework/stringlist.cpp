#include "framework/stringlist.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/stream.h"
#include "framework/strutils.h"

#include <algorithm>
#include <numeric>

namespace dvr::fw {

namespace {

[[noreturn]] void IndexError(int Index) {
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

} // namespace

// ---- TStrings ----

void TStrings::CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index >= Limit) IndexError(Index);
}

int TStrings::CompareStrings(std::string_view S1, std::string_view S2) const {
    return CompareText(S1, S2);
}

void TStrings::Put(int Index, const std::string& S) {
    TObject* o = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, o);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Exchange(int Index1, int Index2) {
    BeginUpdate();
    try {
        std::string s1 = Get(Index1), s2 = Get(Index2);
        TObject* o1 = GetObject(Index1);
        TObject* o2 = GetObject(Index2);
        Put(Index1, s2);
        Put(Index2, s1);
        PutObject(Index1, o2);
        PutObject(Index2, o1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::Add(const std::string& S) {
    int i = GetCount();
    Insert(i, S);
    return i;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
    int i = Add(S);
    PutObject(i, AObject);
    return i;
}

void TStrings::AddStrings(const TStrings& Strings) {
    BeginUpdate();
    try {
        for (int i = 0; i < Strings.Count(); ++i)
            AddObject(Strings.Get(i), Strings.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::IndexOf(std::string_view S) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    BeginUpdate();
    try {
        std::string s = Get(CurIndex);
        TObject* o = GetObject(CurIndex);
        Delete(CurIndex);
        InsertObject(NewIndex, s, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings& Strings) const {
    if (GetCount() != Strings.GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != Strings.Get(i)) return false;
    return true;
}

std::string TStrings::Text() const {
    std::string out;
    for (int i = 0; i < GetCount(); ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(std::string_view Value) {
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        while (i < Value.size()) {
            size_t j = i;
            while (j < Value.size() && Value[j] != '\r' && Value[j] != '\n')
                ++j;
            Add(std::string(Value.substr(i, j - i)));
            if (j < Value.size() && Value[j] == '\r') ++j;
            if (j < Value.size() && Value[j] == '\n') ++j;
            i = j;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::LoadFromStream(TStream& Stream) {
    int64_t n = Stream.Size() - Stream.Position();
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (!text.empty()) Stream.ReadBuffer(text.data(), text.size());
    SetText(text);
}

void TStrings::SaveToStream(TStream& Stream) const {
    std::string text = Text();
    Stream.WriteBuffer(text.data(), text.size());
}

void TStrings::BeginUpdate() {
    // The outermost bracket announces the coming change before it counts.
    if (update_count_ == 0) SetUpdateState(true);
    ++update_count_;
}

void TStrings::EndUpdate() {
    if (update_count_ == 0) return;
    if (--update_count_ == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent* Source) {
    if (auto* src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            AddStrings(*src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::DefineProperties(TFiler* Filer) {
    Filer->DefineProperty(
        "Strings",
        [this](TReader& r) {
            r.ReadListBegin();
            BeginUpdate();
            try {
                Clear();
                while (!r.EndOfList())
                    Add(r.ReadString());
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int i = 0; i < GetCount(); ++i)
                w.WriteString(Get(i));
            w.WriteListEnd();
        },
        GetCount() > 0);
}

// ---- TStringList ----

std::string TStringList::Get(int Index) const {
    CheckIndex(Index, GetCount());
    return items_[size_t(Index)].text;
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index, GetCount());
    return items_[size_t(Index)].object;
}

void TStringList::Put(int Index, const std::string& S) {
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    CheckIndex(Index, GetCount());
    Changing();
    items_[size_t(Index)].text = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index, GetCount());
    Changing();
    items_[size_t(Index)].object = AObject;
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
    Changing();
    items_.insert(items_.begin() + Index, Item{S, AObject});
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index, GetCount());
    Changing();
    items_.erase(items_.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1, GetCount());
    CheckIndex(Index2, GetCount());
    Changing();
    std::swap(items_[size_t(Index1)], items_[size_t(Index2)]);
    Changed();
}

int TStringList::Add(const std::string& S) {
    if (!sorted_) {
        int i = GetCount();
        InsertItem(i, S, nullptr);
        return i;
    }
    int i;
    if (Find(S, i)) {
        if (duplicates_ == TDuplicates::dupIgnore) return i;
        if (duplicates_ == TDuplicates::dupError)
            throw EListError("String list does not allow duplicates");
    }
    InsertItem(i, S, nullptr);
    return i;
}

int TStringList::CompareStrings(std::string_view S1, std::string_view S2) const {
    return case_sensitive_ ? CompareStr(S1, S2) : CompareText(S1, S2);
}

bool TStringList::Find(std::string_view S, int& Index) const {
    // Lower bound: with duplicates, the first equal string.
    int lo = 0, hi = GetCount();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (CompareStrings(items_[size_t(mid)].text, S) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    Index = lo;
    return lo < GetCount() && CompareStrings(items_[size_t(lo)].text, S) == 0;
}

int TStringList::IndexOf(std::string_view S) const {
    if (!sorted_) return TStrings::IndexOf(S);
    int i;
    return Find(S, i) ? i : -1;
}

void TStringList::Sort() {
    CustomSort([](const TStringList& l, int a, int b) {
        return l.CompareStrings(l.items_[size_t(a)].text, l.items_[size_t(b)].text);
    });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
    if (GetCount() < 2) return;
    Changing();
    // Sort positions against the unchanged list (Compare reads it by index), then
    // rearrange; a stable sort keeps equal strings in their order.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return Compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(items_[size_t(i)]);
    items_.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (case_sensitive_ == Value) return;
    case_sensitive_ = Value;
    if (sorted_) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

void TStringList::Changing() {
    if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::Changed() {
    if (UpdateCount() == 0) OnChange(this);
}

} // namespace dvr::fw

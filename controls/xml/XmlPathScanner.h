// XmlPathScanner: the syntax of element paths. A path is a list of steps "name[predicate]"
// joined by '/', optionally absolute ("/a/b"), anywhere ("//a") or ending in an attribute
// ("a/@x"). A predicate is a position from 1, "@attr" with an optional "=value", or a child name.
#pragma once

class XmlPathScanner {
public:
    enum Kind { Invalid = -1, Empty = 0, Relative = 1, Absolute = 2, Anywhere = 3 };

    explicit XmlPathScanner(const wchar_t* path);

    Kind PathKind() const { return kind_; }
    // The first step, from which its name is matched; valid for a relative path.
    const wchar_t* FirstStep() const { return path_; }

private:
    bool CheckSyntax();
    bool ScanStep();
    bool ScanPredicate();
    void SkipStepName();

    const wchar_t* path_;
    int index_ = 0;
    Kind kind_ = Empty;
};

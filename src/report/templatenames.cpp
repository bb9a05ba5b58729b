#include "report/templatenames.h"

#include "data/dberror.h"

#include <QDir>
#include <vector>

namespace report {

namespace {

struct Section {
    QString name;
    const TemplateNames* names; // the list's row names; null for a section that adds none
};

class TagReader {
public:
    TagReader(const QString& text, const TemplateNames& names, const QString& path, int firstLine)
        : text_(text), top_(names), path_(path), firstLine_(firstLine) {}

    void run() {
        qsizetype at = 0;
        while ((at = text_.indexOf(open_, at)) >= 0) {
            tagStart_ = at;
            const bool triple = open_ == QLatin1String("{{") &&
                                text_.mid(at + open_.size(), 1) == QLatin1String("{");
            const QString close = triple ? QStringLiteral("}") + close_ : close_;
            const qsizetype end = text_.indexOf(close, at + open_.size());
            if (end < 0)
                fail(QStringLiteral("%1 without its %2").arg(open_, close));
            const QString tag = text_.mid(at + open_.size(), end - at - open_.size());
            at = end + close.size();
            if (triple)
                fail(unescaped(tag.mid(1).trimmed()));
            readTag(tag.trimmed());
        }
        if (!sections_.empty())
            fail(QStringLiteral("%1#%2%3 is not closed").arg(open_, sections_.back().name, close_));
    }

private:
    void readTag(const QString& tag) {
        const QChar kind = tag.isEmpty() ? QChar() : tag.front();
        const QString name = tag.mid(1).trimmed();
        if (kind == QLatin1Char('!'))
            return;
        if (kind == QLatin1Char('=')) {
            const QStringList pair =
                tag.mid(1, tag.size() - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (!tag.endsWith(QLatin1Char('=')) || pair.size() != 2)
                fail(QStringLiteral("a change of delimiters is written %1=<% %>=%2")
                         .arg(open_, close_));
            open_ = pair[0];
            close_ = pair[1];
            return;
        }
        if (kind == QLatin1Char('&') || kind == QLatin1Char('{'))
            fail(unescaped(name.endsWith(QLatin1Char('}')) ? name.chopped(1).trimmed() : name));
        if (kind == QLatin1Char('>'))
            fail(QStringLiteral("%1>%2%3: a template includes no other template")
                     .arg(open_, name, close_));
        if (kind == QLatin1Char('/')) {
            if (sections_.empty() || sections_.back().name != name)
                fail(QStringLiteral("%1/%2%3 closes no open section").arg(open_, name, close_));
            sections_.pop_back();
            return;
        }
        const bool section = kind == QLatin1Char('#') || kind == QLatin1Char('^');
        const QString used = section ? name : tag;
        const TemplateNames* list = nullptr;
        if (!known(used, list))
            fail(QStringLiteral("the program gives no value named \"%1\" (%2%3%4); here a "
                                "template may use %5")
                     .arg(used, open_, tag, close_, available().join(QStringLiteral(", "))));
        if (section)
            sections_.push_back({name, kind == QLatin1Char('#') ? list : nullptr});
    }

    // Whether the name is given where the tag stands; `list` is its rows' names when it is a list.
    bool known(const QString& name, const TemplateNames*& list) const {
        std::vector<const TemplateNames*> scopes{&top_};
        for (const Section& section : sections_)
            if (section.names)
                scopes.push_back(section.names);
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (const auto found = (*scope)->lists.find(name); found != (*scope)->lists.end()) {
                list = &found->second;
                return true;
            }
            if ((*scope)->names.contains(name))
                return true;
        }
        return false;
    }

    QStringList available() const {
        QStringList names;
        const auto add = [&names](const TemplateNames& scope) {
            for (const QString& name : scope.names)
                names << name;
            for (const auto& [name, rows] : scope.lists)
                names << name;
        };
        for (auto section = sections_.rbegin(); section != sections_.rend(); ++section)
            if (section->names)
                add(*section->names);
        add(top_);
        names.removeDuplicates();
        return names;
    }

    QString unescaped(const QString& name) const {
        return QStringLiteral("%1{%2}%3 would put the value in unescaped; write %1%2%3")
            .arg(open_, name, close_);
    }

    [[noreturn]] void fail(const QString& what) const {
        const int line =
            firstLine_ + static_cast<int>(text_.left(tagStart_).count(QLatin1Char('\n')));
        throw data::DbError(data::kErrGeneric, QStringLiteral("ReportFile"),
                            QStringLiteral("%1, line %2: %3.")
                                .arg(QDir::toNativeSeparators(path_))
                                .arg(line)
                                .arg(what));
    }

    const QString& text_;
    const TemplateNames& top_;
    const QString& path_;
    const int firstLine_;
    QString open_ = QStringLiteral("{{");
    QString close_ = QStringLiteral("}}");
    qsizetype tagStart_ = 0;
    std::vector<Section> sections_;
};

} // namespace

void checkTemplateNames(const QString& text, const TemplateNames& names, const QString& path,
                        int firstLine) {
    TagReader(text, names, path, firstLine).run();
}

} // namespace report

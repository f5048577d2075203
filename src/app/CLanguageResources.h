#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class CConfig;
class QTranslator;

// The language files in the "languages" folder beside the executable and the search that picks
// one of them at start-up: the language chosen in the settings, the same language for another
// country, the keyboard's language, the same language for another country, US English. A file
// is a Qt translation named "<low byte><high byte>_<ll>-<CC>.qm" after its identifier.
class CLanguageResources final
{
public:
    // languagesFolder empty: the executable's folder is unknown and nothing can be listed.
    // keyboardLcid: the identifier of the current keyboard layout's language (0 if unknown).
    CLanguageResources(const QString &languagesFolder, quint16 keyboardLcid);
    ~CLanguageResources();
    Q_DISABLE_COPY_MOVE(CLanguageResources)

    // The folder "languages" beside the executable; empty when that folder is unknown.
    static QString defaultLanguagesFolder();
    // The language of the current keyboard layout, from the input method when a GUI runs, else
    // from the system locale.
    static quint16 currentKeyboardLcid();
    // File name of lcid, e.g. "1104_ja-JP.qm"; empty when the identifier has no ISO names.
    static QString fileName(quint16 lcid);
    static QString displayName(quint16 lcid);

    // Fills the list of file numbers from the folder and starts a new search; true if any.
    bool listLibraries();
    // One step of the search; each call resumes where the previous one stopped. Every offered
    // path is a candidate to load; none when the search is over.
    std::optional<QString> nextCandidate(quint16 settingsLcid);
    // The file of lcid in the languages folder; none when its name cannot be formed.
    std::optional<QString> libraryPath(quint16 lcid) const;

    // Lists the files, then loads and installs the first candidate that loads, logging each
    // attempt. True when a translation is in use; false leaves the built-in Japanese.
    bool loadFirst(quint16 settingsLcid);

    // The file numbers found (byte-swapped identifiers), ascending; a number may repeat.
    const QList<quint16> &libraryNumbers() const { return m_numbers; }
    // Identifiers of the listed files, in list order.
    QList<quint16> libraryLcids() const;
    // Identifier of the candidate last offered and, after loadFirst, of the one loaded; 0 if none.
    quint16 chosenLcid() const { return m_chosenLcid; }

    // Start-up: the identifier from "miscellaneous.resource.lcid_i" (low 16 bits, 0 when
    // unreadable), the files beside the executable, the current keyboard. Keeps the result for
    // the whole run in instance(). True when a translation was loaded.
    static bool loadForStartup(const CConfig &config);
    // The search made at start-up (empty list and no choice before loadForStartup).
    static CLanguageResources &instance();

private:
    std::optional<QString> offerSameLanguage(quint16 lcid, const QString &foundLine,
                                             const QString &existsLine);
    bool isListed(quint16 lcid) const;
    bool loadTranslation(const QString &path);

    QString m_folder;
    quint16 m_keyboardLcid = 0;
    QList<quint16> m_numbers;
    int m_step = 0;
    qsizetype m_position = 0;
    quint16 m_chosenLcid = 0;
    // The translator reads from these bytes for as long as it lives, so they go after it.
    QByteArray m_translationData;
    std::unique_ptr<QTranslator> m_translator;
    // Qt's own texts (standard buttons of message boxes) in the system's language, as the
    // platform's message boxes would show them.
    std::unique_ptr<QTranslator> m_platformTranslator;
};

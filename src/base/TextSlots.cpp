#include "base/TextSlots.h"

#include <iterator>

namespace {
constexpr CLngStr kNone{0, {nullptr, nullptr, nullptr, nullptr}};
}  // namespace

const CLngStr kOpenManualErrorLeadIn{0,
                                     {"Error by opening file ", "Fehler beim öffnen der Datei ",
                                      "Erreur à l´ouvertur du Fichier ", "Chyba při otevírání souboru "}};

const PortOpenFailureTexts kPortOpenFailureTexts{
    {0,
     {"%1: no such device. Is the adapter plugged in?", "%1: Gerät nicht vorhanden. Ist der Adapter eingesteckt?",
      "%1 : périphérique introuvable. L'adaptateur est-il branché ?",
      "%1: zařízení neexistuje. Je adaptér připojený?"}},
    {0,
     {"%1: permission denied. The device belongs to the group \"%2\": add your user to that group "
      "(sudo usermod -aG %2 $USER), then log out and in again.",
      "%1: Zugriff verweigert. Das Gerät gehört der Gruppe „%2“: Fügen Sie Ihren Benutzer dieser Gruppe hinzu "
      "(sudo usermod -aG %2 $USER) und melden Sie sich danach ab und wieder an.",
      "%1 : accès refusé. Le périphérique appartient au groupe « %2 » : ajoutez votre utilisateur à ce groupe "
      "(sudo usermod -aG %2 $USER), puis déconnectez-vous et reconnectez-vous.",
      "%1: přístup odepřen. Zařízení patří skupině „%2“: přidejte svého uživatele do této skupiny "
      "(sudo usermod -aG %2 $USER) a pak se odhlaste a znovu přihlaste."}},
    {0,
     {"%1 is in use by another program: %2 (PID %3).", "%1 wird von einem anderen Programm benutzt: %2 (PID %3).",
      "%1 est utilisé par un autre programme : %2 (PID %3).", "%1 používá jiný program: %2 (PID %3)."}},
    {0,
     {"%1 is in use by another program.", "%1 wird von einem anderen Programm benutzt.",
      "%1 est utilisé par un autre programme.", "%1 používá jiný program."}},
    {0,
     {"%1 is not a serial device.", "%1 ist keine serielle Schnittstelle.", "%1 n'est pas un port série.",
      "%1 není sériový port."}},
    {0,
     {"%1 cannot be used: %2", "%1 kann nicht benutzt werden: %2", "%1 ne peut pas être utilisé : %2",
      "%1 nelze použít: %2"}},
    {0,
     {"%1: permission denied. The device belongs to the user \"%2\" and the group \"%3\" with the mode %4, "
      "which is no group for serial devices: ask the administrator of this computer to give you access to it.",
      "%1: Zugriff verweigert. Das Gerät gehört dem Benutzer „%2“ und der Gruppe „%3“ mit den Rechten %4, "
      "die keine Gruppe für serielle Schnittstellen ist: Bitten Sie den Administrator dieses Computers, Ihnen "
      "Zugriff darauf zu geben.",
      "%1 : accès refusé. Le périphérique appartient à l'utilisateur « %2 » et au groupe « %3 » avec le mode %4, "
      "qui n'est pas un groupe de ports série : demandez à l'administrateur de cet ordinateur de vous y donner "
      "accès.",
      "%1: přístup odepřen. Zařízení patří uživateli „%2“ a skupině „%3“ s právy %4, což není skupina pro "
      "sériové porty: požádejte správce tohoto počítače, aby vám k němu dal přístup."}},
};

const CLngStr kSectionIncompleteText{0,
                                     {"section %1 incomplete, line %2", "Abschnitt %1 unvollständig, Zeile %2",
                                      "section %1 incomplète, ligne %2", "sekce %1 neúplná, řádek %2"}};

std::string FillInText(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) {
        out += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

const std::array<CLngStr, kSlotCount> kSlotTexts = {{
    {0, {"  Ventrix_2007", "  Ventrix_2007", "  Ventrix_2007", "  Ventrix_2007"}},  // 0
    kNone,                                                                          // 1: the current file name
    {0,
     {"  (Disconnected by bootloader)", "  (Disconnected by bootloader)", "  (Disconnected by bootloader)",
      "  (Dočasně odpojeno bootloaderem)"}},
    {0,
     {"manual_ventrix_2007_en.pdf", "manual_ventrix_2007_en.pdf", "manual_ventrix_2007_en.pdf",
      "manual_ventrix_2007_cz.pdf"}},
    {0, {"Program error!", "Programmierfehler!", "Erreur de programmation!", "Chyba programování"}},
    {0, {"Verify error!", "Vergleichsfehler", "Verifier erreur!", "Chyba verifikace!"}},  // 5
    {0, {"Read error!", "Lesefehler", "Lire erreur!", "Chyba čtení!"}},
    {0, {"Program device:", "Programmieren:", "Programmer:", "Programování:"}},
    {0,
     {"Unmatched version of PC and Ignition programs!",
      "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!",
      "Programme du boitier d´alumage non compatible avec programme PC!",
      "Neshodné verze proramu v PC a v zapalování!"}},
    {0,
     {"Unmatched subversion of PC and Ignition programs!", "Inkongruend SubVersion PC und der Zündung!",
      "Unmatched subversion of PC and Ignition programs!", "Neshodné podverze proramu v PC a zapalování!"}},
    {0, {"Verify:", "Vergleichen:", "Vérifier:", "Verifikace:"}},  // 10
    {0, {"Read:", "Lesen:", "Lire", "Čtení:"}},
    {0, {"Advance", "Zündzeitpunkt", "Avance", "Předstih"}},
    {0,
     {"Number of Programing = ", "Anzahl der Programmierungen = ", "Nombre de programmations = ",
      "Počet programování = "}},
    {0, {"Blocking ", "Sperre ", "Blocage ", "Blokování "}},
    {0, {"Start limiter", "Startbegrenzer", "Limiteur de départ", "Startovací omezovač"}},  // 15
    {0, {"Limiter by ignition", "Begrenzer durch Zündung", "Limiteur par allumage", "Omezovač zapalováním"}},
    {0, {"Limiter by injection", "Begrenzer durch Einspritzung", "Limiteur par injection", "Omezovač vstřikem"}},
    {0, {"Limiter by retard", "Begrenzer durch Spätverstellung", "Limiteur par retard", "Omezovač zpožděním"}},
    {0, {"YES", "JA", "Oui", "ANO"}},
    {0, {"NO", "NEIN", "Non", "NE"}},  // 20
    {0, {"Twinkle", "Blinken", "Clignotant", "Bliká"}},
    {0, {"Polarity of CPS - ", "Polarität CPS - ", "Polarité CPS - ", "Polarita CPS - "}},
    {0, {"Positive", "Positiv", "Positive", "Kladná"}},
    {0, {"Negative", "Negativ", "Négative", "Záporná"}},
    {0, {"Com opening error!", "Falscher COM-Anschlußes!", "Erreur connections PC!", "Chyba při otevírání portu Com!"}},
    {0,
     {"Open file error!", "Fehler beim öffnen der Datei!", "Erreur ouvertur fichier!", "Chyba při otevírání souboru!"}},
    {0,
     {"Can't open page for coupled jet !", "Can't open page for coupled jet !", "Can't open page for coupled jet !",
      "Otevření stránky pro spřažené vstřiky není podporováno !"}},
    {0,
     {"Do you want default setting?", "Wollen Sie Standardeinstellungen öffnen?",
      "Voulez vous la programation de base?", "Chcete nastavit základní hodnoty?"}},
    {0,
     {"Do you want default setting for this page?", "Wollen Sie Standardeinstellungen für diese Seite öffnen?",
      "Voulez vous la programation de base pour page?", "Chcete nastavit základní hodnoty pro tuto záložku?"}},
    {0,
     {"Older version of *.ign file!\n\nSome parameters won't be changed or will be set to default value.\nThey are "
      "parameters which are not in older version or have another structure.",
      "Älter Version von Datendatei *.ign!\n\nEinige Kenndaten werden nicht geändert oder werden implizit Wert "
      "gestellt.\nSie sind die Kenndaten, die in älter Version nicht sind oder andere Struktur haben",
      "Older version of *.ign file!\n\nSome parameters won't be changed or will be set to default value.\nThey are "
      "parameters which are not in older version or have another structure.",
      "Starší verze souboru *.ign!\n\nNěkteré parametry budou nezměněny nebo nataveny na základní hodnotu.\nJsou to "
      "parametry, které v této verzi nebyly obsaženy nebo měly jinou strukturu."}},  // 30
    {0,
     {"Unmatched version of *.ign file!", "Datendatei *.ign ist nicht kompatiebel!",
      "Programme du fichier non compatible avec programme PC!", "Neshodná verze souboru *.ign!"}},
    kNone,  // 32: unused
    {0,
     {"Date and time of printing:  ", "Zeitpunkt des Ausdruckes   ",
      "Date et heur de l´imprimé:   ", "Datum a čas tisku:  "}},
    kNone,                                                                       // 34: composed by Apply
    {0, {"Pick-up (CKPS)", "Geber (CKPS)", "Capteur (CKPS)", "Snímač (CKPS)"}},  // 35
    {0, {"Pick-up (CMPS)", "Geber (CMPS)", "Capteur (CMPS)", "Snímač (CMPS)"}},
    {0, {" is running", " läuft", " fonctionne", " běží"}},
    {0, {" no signal", " kein Signal", " pas de signal", " bez signálu"}},
    {0,
     {"This Ignition is not for required motorbike!", "Diese Zündung ist nicht for gestellte Motorrad!",
      "This Ignition is not for required motorbike!", "Toto zapalování není pro zvolený typ motocyklu!"}},
    {0,
     {"This version of program Ventrix_Prime.exe is not for required bike!",
      "Diese Version des Programs Ventrix_Prime.exe ist nicht für angeforderte Motorrad!",
      "This version of program Ventrix_Prime.exe is not for required bike!",
      "Tato verze programu Ventrix_Prime.exe není pro požadovanou motorku!"}},  // 40
    {0, {"Base advance [°]", "Grundzündzeitpunkt [°]", "Avance de base [°]", "Základní předstih [°]"}},
    {0, {"Saving:", "Speicherung:", "Mémorisation", "Ukládání:"}},
    {0, {"Injection time", "Einspritzzeit", "Temps d'injection", "Doba vstřiku"}},
    {0, {"Max injection", "Max. Einspritzung", "Injection max", "Max. vstřik"}},
    {0, {"Position", "Position", "Position", "Poloha"}},  // 45
    {0, {"Exhaust servo ", "Auspuffservo ", "Servo d'échappement ", "Výfukové servo "}},
    {0, {"Intake servo", "Ansaugservo", "Servo d'admission", "Sací servo"}},
    kNone,  // 48: no text
    {0, {"Potentiometer", "Potentiometer", "Potentiomètre", "Potenciometr"}},
    {0, {"Fall sensor", "Sturzsensor", "Capteur de chute", "Čidlo pádu"}},  // 50
    {0, {"Cooling", "Kühlung", "Refroidissement", "Chlazení"}},
    {0, {"Gear", "Gang", "Rapport", "Stupeň"}},
    {0, {"Speed", "Geschwindigkeit", "Vitesse", "Rychlost"}},
    {0, {"Gear shift light", "Schaltlicht", "Témoin de passage", "Kontrolka řazení"}},
    {0, {"Choke", "Choke", "Starter", "Sytič"}},  // 55
    {0, {"IAP -> TP:", "IAP -> TP:", "IAP -> TP:", "IAP -> TP:"}},
    {0, {"Width of Lobe [°]", "Nockenbreite [°]", "Largeur de came [°]", "Šířka vačky [°]"}},
    kNone,  // 58: no text
    {0, {"TPS min", "TPS min", "TPS min", "TPS min"}},
    {0, {"TPS max", "TPS max", "TPS max", "TPS max"}},  // 60
    {0, {"RPM min", "Drehzahl min", "Régime min", "Otáčky min"}},
    {0, {"RPM max", "Drehzahl max", "Régime max", "Otáčky max"}},
    {0, {"Clutch master", "Clutch-Master", "Clutch master", "Clutch master"}},
    {0, {"Tacho", "Tacho", "Compte-tours", "Otáčkoměr"}},
    {0, {"Lambda", "Lambda", "Lambda", "Lambda"}},  // 65
    {0,
     {"Tacho/AFR, autotunning", "Tacho/AFR, Autotuning", "Compte-tours/AFR, réglage auto",
      "Otáčkoměr/AFR, autoladění"}},
    kNone,  // 67: composed by Apply
    {0, {"Inj. according TPS", "Einspr. nach TPS", "Inj. selon TPS", "Vstřik podle TPS"}},
    {0, {"Coolant", "Kühlmittel", "T. moteur", "Voda"}},
    {0,
     {"Intake servo must be enabled", "Ansaugservo muss aktiviert sein", "Le servo d'admission doit être activé",
      "Sací servo musí být povoleno"}},  // 70
    {0,
     {"Intake servo must be disabled", "Ansaugservo muss deaktiviert sein", "Le servo d'admission doit être désactivé",
      "Sací servo musí být zakázáno"}},
    {0,
     {"Intake servo must be enabled ohne step out", "Ansaugservo muss aktiviert sein, ohne Schrittausgang",
      "Le servo d'admission doit être activé, sans sortie pas à pas",
      "Sací servo musí být povoleno, bez krokového výstupu"}},
    {0, {"Idle", "Leerlauf", "Ralenti", "Volnoběh"}},
    {0, {"Desired RPM", "Solldrehzahl", "Régime souhaité", "Požadované otáčky"}},
    {0,
     {"Start position of intake servo", "Startposition des Ansaugservos", "Position de départ du servo d'admission",
      "Startovací poloha sacího serva"}},  // 75
    {0,
     {"TPS min [in steps of servo]", "TPS min [in Servoschritten]", "TPS min [en pas du servo]",
      "TPS min [v krocích serva]"}},
    {0, {"Min position [%]", "Min. Position [%]", "Position min. [%]", "Min. poloha [%]"}},
    {0, {"T: rpm=0", "T: Drehzahl=0", "T: régime=0", "T: otáčky=0"}},
    {0, {"T: Coupled", "T: Gekoppelt", "T: Couplé", "T: Spřaženo"}},
    {0, {"T: no TPS, no IAP", "T: kein TPS, kein IAP", "T: pas de TPS, pas d'IAP", "T: bez TPS, bez IAP"}},  // 80
    {0, {"T: Tunning is off", "T: Abstimmung ist aus", "T: Réglage désactivé", "T: Ladění je vypnuto"}},
    {0,
     {"T: Accelarition is to high", "T: Beschleunigung zu hoch", "T: Accélération trop forte",
      "T: Příliš velká akcelerace"}},
    {0, {"T: Lambda is to low", "T: Lambda zu niedrig", "T: Lambda trop basse", "T: Lambda je příliš nízká"}},
    {0, {"T: Lambda is to high", "T: Lambda zu hoch", "T: Lambda trop haute", "T: Lambda je příliš vysoká"}},
    {0, {"T: TPS is to low", "T: TPS zu niedrig", "T: TPS trop bas", "T: TPS je příliš nízké"}},  // 85
    {0, {"T: RPM to low", "T: Drehzahl zu niedrig", "T: Régime trop bas", "T: Otáčky jsou příliš nízké"}},
    {0,
     {"T: Temperature is to low", "T: Temperatur zu niedrig", "T: Température trop basse",
      "T: Teplota je příliš nízká"}},
    {0,
     {"T: Temperature is to high", "T: Temperatur zu hoch", "T: Température trop haute",
      "T: Teplota je příliš vysoká"}},
    {0,
     {"T: Jet from TPS and IAP map", "T: Einspritzung aus TPS- und IAP-Kennfeld",
      "T: Injection selon cartes TPS et IAP", "T: Vstřik z mapy TPS a IAP"}},
    {0,
     {"T: It is not in point-RPM low", "T: Nicht im Punkt - Drehzahl zu niedrig", "T: Hors du point - régime bas",
      "T: Mimo bod - nízké otáčky"}},  // 90
    {0,
     {"T: It is not in point-RPM high", "T: Nicht im Punkt - Drehzahl zu hoch", "T: Hors du point - régime haut",
      "T: Mimo bod - vysoké otáčky"}},
    {0,
     {"T: It is not in point-TPS low", "T: Nicht im Punkt - TPS zu niedrig", "T: Hors du point - TPS bas",
      "T: Mimo bod - nízké TPS"}},
    {0,
     {"T: It is not in point-TPS high", "T: Nicht im Punkt - TPS zu hoch", "T: Hors du point - TPS haut",
      "T: Mimo bod - vysoké TPS"}},
    {0,
     {"T: Lambda voltage error", "T: Fehler Lambdaspannung", "T: Erreur de tension lambda",
      "T: Chyba napětí lambda sondy"}},
    {0,
     {"T: RPM to low (before first point)", "T: Drehzahl zu niedrig (vor dem ersten Punkt)",
      "T: Régime trop bas (avant le premier point)", "T: Otáčky příliš nízké (před prvním bodem)"}},  // 95
    {0,
     {"T: RPM high (after last point)", "T: Drehzahl zu hoch (nach dem letzten Punkt)",
      "T: Régime trop haut (après le dernier point)", "T: Otáčky příliš vysoké (za posledním bodem)"}},
    {0,
     {"T: TPS or IAP to low (before first point)", "T: TPS oder IAP zu niedrig (vor dem ersten Punkt)",
      "T: TPS ou IAP trop bas (avant le premier point)", "T: TPS nebo IAP příliš nízké (před prvním bodem)"}},
    {0,
     {"T: TPS or IAP high ((hinter letzte Punkt)", "T: TPS oder IAP zu hoch (hinter dem letzten Punkt)",
      "T: TPS ou IAP trop haut (après le dernier point)", "T: TPS nebo IAP příliš vysoké (za posledním bodem)"}},
    {0, {"T: Adding", "T: Anreichern", "T: Enrichissement", "T: Přidávám"}},
    {0, {"T: Decrease", "T: Abmagern", "T: Appauvrissement", "T: Ubírám"}},  // 100
    {0, {"T: OK", "T: OK", "T: OK", "T: OK"}},
    {0, {"Gear voltage", "Gangspannung", "Tension du rapport", "Napětí stupně"}},
    {0, {"Step servo position", "Schrittservo-Position", "Position du servo pas à pas", "Poloha krokového serva"}},
    {0,
     {"Pit speed control retard", "Pitlane-Begrenzer Spätverstellung", "Limiteur stand retard",
      "Omezovač v boxech zpoždění"}},
    {0,
     {"Pit speed control no ignition", "Pitlane-Begrenzer Zündunterbrechung", "Limiteur stand coupure allumage",
      "Omezovač v boxech bez zapalování"}},  // 105
    {0, {"Gas hnadle", "Gasgriff", "Poignée des gaz", "Plynová rukojeť"}},
    {0,
     {"     (synchronised with ignition)", "     (mit der Zündung synchronisiert)",
      "     (synchronisé avec l'allumage)", "     (synchronizováno se zapalováním)"}},
}};

int TuningStateSlot(int code) {
  static constexpr int kSlots[] = {78, 80, 81, 82,  89,  90, 91, 92, 93, 94, 95, 96,
                                   97, 98, 99, 100, 101, 79, 83, 84, 85, 86, 87, 88};
  if (code < 0 || code >= static_cast<int>(std::size(kSlots))) return -1;
  return kSlots[code];
}

void CTextSlots::Apply(int language) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (i == kSlotFileName) continue;
    m_slots[static_cast<std::size_t>(i)] = std::string(kSlotTexts[static_cast<std::size_t>(i)].Get(language));
  }
  // Composed after the loop so that they see this language's pieces.
  m_slots[kSlotOpenManualError] = std::string(kOpenManualErrorLeadIn.Get(language)) + m_slots[kSlotManual] + " !";
  m_slots[kSlotTachoLambda] = m_slots[kSlotTacho] + "/" + m_slots[kSlotLambda];
}

std::string CTextSlots::WindowCaption() const { return m_slots[kSlotTitle] + "       " + m_slots[kSlotFileName]; }

#pragma once

#include <stdexcept>
#include <string>

// A small catalogue with two choices in most groups, a CAN limit in both slot rows, a Profibus
// pair (X4 entry 3, X9 entry 6), one exclusion (Supply low with CPU fast) and its price file.
// Its standard configuration is "VK72-1111x-110Ax-00000-00000-D3x".
inline const std::string kSmallCatalogue = R"([General]
Version=9.9
UseStdConfig=1
ShowPrices=1
OSStdLanguage=1
[OrderNumbers]
0=100
1=101
2=200
3=201
4=300
5=400
6=410
7=500
8=501
9=600
10=601
11=700
12=701
13=702
14=703
15=704
16=705
17=800
18=900
19=99999
20=950
[Types]
100=H-A
101=H-B
200=C-A
201=C-B
300=R-A
400=OS-A
410=OS-B
500=HMI-A
501=HMI-B
600=P-A
601=P-B
700=M-S
701=M-C
702=M-P
703=M-E
704=M-U
705=M-D
800=D-A
900=K-3
99999=K-5
950=PCI
[Descriptions]
100=Housing small
101=Housing large
200=CPU slow
201=CPU fast
300=RAM 4 GB
400=System A
410=System B
500=Operator panel
501=Headless
600=Supply 24 V
601=Supply low
700=Serial
701=CAN
702=Profibus
703=Ethernet
704=USB
705=Digital IO
800=Display 12 inch
900=Cable 3 m
99999=Cable 5 m
950=PCI card
[Index]
100=1
101=2
200=1
201=2
300=1
400=1
410=2
500=A
501=B
600=1
601=2
700=S
701=C
702=P
703=E
704=U
705=D
800=D
900=3
99999=5
950=1
[Housing]
0=100
1=101
[CPU]
0=200
1=201
[RAM]
0=300
[OperatingSystem]
0=400
1=410
[OSLanguages]
0=german
1=english
2=french
3=dutch
4=italian
5=spanish
[Extension]
0=950
[HMI]
0=500
1=501
[Power]
0=600
1=601
[X1]
0=700
1=701
[X2]
0=700
[X3]
0=700
[X4]
0=700
1=701
2=702
[X5]
0=700
[X6]
0=700
1=701
[X7]
0=700
[X8]
0=700
[X9]
0=700
1=701
2=703
3=704
4=705
5=702
[X10]
0=700
[Display]
0=800
[HMICable]
0=900
1=99999
[Max_PCOM]
701=1
[Max_SCOM]
701=1
[Exclude_List]
601=201
)";

inline const std::string kSmallPrices = R"([General]
Currency=EUR
PriceBase=EN
Date=2026-12-01
[Prices]
100=100
101=150
200=200
201=300
300=50
400=80
410=90
500=1000
501=0
600=60
601=40
700=10
701=20
702=30
703=40
704=50
705=60
800=700
900=5
99999=0,5
950=99,5
)";

// A customer file as the program saves it.
inline std::string CustomerFileText(const std::string& company, const std::string& name,
                                    const std::string& code) {
    return "[Data]\nCompany1=" + company + "\nCompany2=\nName1=" + name +
           "\nName2=\nStreet=Main Street 1\nCity=Springfield\nIdent1=\nIdent2=\nCode=" + code + "\n";
}

// The text with its first occurrence of from replaced; a test that edits text it does not hold
// fails rather than testing the unedited catalogue.
inline std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos)
        throw std::logic_error("no \"" + from + "\" to replace");
    text.replace(at, from.size(), to);
    return text;
}

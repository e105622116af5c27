#!/usr/bin/perl
# Bytes a receive costs, per board family, counted by the test board server
# on 127.0.0.1 (tests/boards/board_server.pl with the family's module), beside
# whole-file fetches of the same files with curl in the same run (what a
# reader without conditions, ranges or compression pays). Three receives per
# family: the first (everything, gzip where the board gives it), an
# unchanged board (goal: at most 1 KB), one new post in a thread of 1,000
# (goal: at most 4 KB).
#   bench/textboard_bytes.pl [PERL]
#
# One row per family in @FAMILIES; a family's row names its plugin, its
# server module, the [BASIC] keys of its group, and a board maker: a sub
# that lays the board out under a folder and returns
#   { path => '/b/' (the board's address on the server),
#     first => [...], unchanged => [...], one => [...] (the files a reader
#              without conditions fetches whole for each receive, relative
#              to the server's root),
#     grow => sub { ... } (adds one post to the 1,000-post thread) }.
use strict;
use warnings;
use utf8;
use Encode qw(encode);
use File::Basename qw(dirname);
use File::Path qw(make_path);
use File::Spec;
use File::Temp qw(tempdir);

my $perl = shift // $^X;
my $top  = File::Spec->rel2abs(dirname(__FILE__) . '/..');
my $tmp  = tempdir(CLEANUP => 1);

sub spew {
    my ($path, $bytes, $append) = @_;
    open my $fh, $append ? '>>:raw' : '>:raw', $path or die "$path: $!";
    print {$fh} $bytes;
    close $fh;
}

# Modification times in the past, each change a later one (see the tests).
my $clock = time - 100_000;
sub touch { $clock += 10; utime $clock, $clock, @_ }

# Posts of varied text (repeated text would flatter the compression of whole
# files), the same for every family.
my @words = map { encode('cp932', $_) } qw(今日は 天気が 良い 桜が 咲いた 電車が 遅れて 昼ごはんは カレー
    そうですね なるほど 確かに 本当に それは 知らなかった 明日も 晴れ ありがとう 助かります 了解です
    ところで 駅前の 店が 閉まった らしい 新しい 話題 ですが どう 思いますか 自分は 賛成 反対 です);
my $seed;
sub pick { $seed = ($seed * 1103515245 + 12345) % 2**31; $words[$seed % @words] }
sub dat_post {
    my ($no) = @_;
    my $body = join ' <br> ', map { join '', map { pick() } 1 .. 8 } 1 .. 3;
    return encode('cp932', '名無しさん') . sprintf("<>sage<>2024/04/01(%s) 12:%02d:%02d.%02d ID:%08X<> %s <>\n",
        encode('cp932', '月'), $no / 60 % 60, $no % 60, $no % 100, $seed, $body);
}

# A 2ch-style board: one thread of 1,000 posts and 199 threads of 20.
sub dat_board {
    my ($root) = @_;
    $seed = 12345;
    my $board = "$root/b";
    make_path("$board/dat");
    my %threads = (1700000000 => 1000, map { 1700000000 + 100 * $_ => 20 } 1 .. 199);
    my $subject = '';
    for my $key (sort { $b <=> $a } keys %threads) {
        spew("$board/dat/$key.dat", join '', map { dat_post($_) } 1 .. $threads{$key});
        $subject .= "$key.dat<>" . encode('cp932', "スレッド$key") . " ($threads{$key})\n";
    }
    spew("$board/subject.txt", $subject);
    spew("$board/SETTING.TXT", encode('cp932', "BBS_TITLE=計測用の板\n"));
    touch(glob("$board/*"), glob("$board/dat/*"));
    return { path => '/b/',
             first => ['b/subject.txt', 'b/SETTING.TXT', map { "b/dat/$_.dat" } keys %threads],
             unchanged => ['b/subject.txt'],
             one => ['b/subject.txt', 'b/SETTING.TXT', 'b/dat/1700000000.dat'],
             grow => sub {
                 spew("$board/dat/1700000000.dat", dat_post(1001), 1);
                 (my $changed = $subject) =~ s/\(1000\)/(1001)/;
                 spew("$board/subject.txt", $changed);
                 touch("$board/dat/1700000000.dat", "$board/subject.txt");
             } };
}

# A Machi BBS board of the same size: offlaw.cgi lines (numbered, the title on
# the first, the host last) in ROOT/b/log, a list in the boards' own form.
sub machi_board {
    my ($root) = @_;
    $seed = 12345;
    my $board = "$root/b";
    make_path("$board/log");
    my $post = sub {
        my ($no, $title) = @_;
        my $body = join '<br>', map { join '', map { pick() } 1 .. 8 } 1 .. 3;
        return "$no<>" . encode('cp932', '名無しさん') . sprintf("<>sage<>2024/04/01(%s) 12:%02d:%02d ID:%08X<>%s<>%s<>p%d.example.ne.jp\n",
            encode('cp932', '月'), $no / 60 % 60, $no % 60, $seed, $body, $no == 1 ? $title : '', $seed % 9999);
    };
    my %threads = (1700000000 => 1000, map { 1700000000 + 100 * $_ => 20 } 1 .. 199);
    my @subject;
    for my $key (sort { $b <=> $a } keys %threads) {
        my $title = encode('cp932', "スレッド$key");
        spew("$board/log/$key.log", join '', map { $post->($_, $title) } 1 .. $threads{$key});
        push @subject, "$key.cgi,$title($threads{$key})\n";
    }
    spew("$board/subject.txt", join '', @subject, $subject[0]);
    spew("$board/SETTING.TXT", encode('cp932', "BBS_TITLE=計測用の板\n"));
    touch(glob("$board/*"), glob("$board/log/*"));
    return { path => '/b/',
             first => ['b/subject.txt', 'b/SETTING.TXT', map { "bbs/offlaw.cgi/2/b/$_/" } keys %threads],
             unchanged => ['b/subject.txt'],
             one => ['b/subject.txt', 'b/SETTING.TXT', 'bbs/offlaw.cgi/2/b/1700000000/'],
             grow => sub {
                 spew("$board/log/1700000000.log", $post->(1001, ''), 1);
                 s/\(1000\)/(1001)/ for @subject;
                 spew("$board/subject.txt", join '', @subject, $subject[0]);
                 touch("$board/log/1700000000.log", "$board/subject.txt");
             } };
}

# A Shitaraba board of the same size: rawmode lines (numbered, the title on
# the first, the ID last) in EUC-JP under ROOT/game/1/threads, a list in the
# boards' own form, the settings API's answer.
sub shitaraba_board {
    my ($root) = @_;
    $seed = 12345;
    my $board = "$root/game/1";
    make_path("$board/threads", "$board/storage");
    my $euc = sub { my ($s) = @_; Encode::from_to($s, 'cp932', 'euc-jp'); $s };
    my $post = sub {
        my ($no, $title) = @_;
        my $body = join '<br>', map { join '', map { pick() } 1 .. 8 } 1 .. 3;
        return "$no<>" . encode('euc-jp', '名無しさん') . sprintf("<>sage<>2024/04/01(%s) 12:%02d:%02d<>%s<>%s<>%08X\n",
            encode('euc-jp', '月'), $no / 60 % 60, $no % 60, $euc->($body), $no == 1 ? $title : '', $seed);
    };
    my %threads = (1700000000 => 1000, map { 1700000000 + 100 * $_ => 20 } 1 .. 199);
    my @subject;
    for my $key (sort { $b <=> $a } keys %threads) {
        my $title = encode('euc-jp', "スレッド$key");
        spew("$board/threads/$key.dat", join '', map { $post->($_, $title) } 1 .. $threads{$key});
        push @subject, "$key.cgi,$title($threads{$key})\n";
    }
    spew("$board/subject.txt", join '', @subject, $subject[0]);
    spew("$board/SETTING.TXT", encode('euc-jp', "DIR=game\nBBS=1\nBBS_TITLE=計測用の板\n"));
    touch(glob("$board/*"), glob("$board/threads/*"));
    return { path => '/game/1/',
             first => ['game/1/subject.txt', 'bbs/api/setting.cgi/game/1/', map { "bbs/rawmode.cgi/game/1/$_/" } keys %threads],
             unchanged => ['game/1/subject.txt'],
             one => ['game/1/subject.txt', 'bbs/api/setting.cgi/game/1/', 'bbs/rawmode.cgi/game/1/1700000000/'],
             grow => sub {
                 spew("$board/threads/1700000000.dat", $post->(1001, ''), 1);
                 s/\(1000\)/(1001)/ for @subject;
                 spew("$board/subject.txt", join '', @subject, $subject[0]);
                 touch("$board/threads/1700000000.dat", "$board/subject.txt");
             } };
}

my @FAMILIES = (
    { name => '2ch-style', plugin => 'cm_TEXTBOARD.PL', module => undef,        ini => {},                     board => \&dat_board },
    { name => '5ch',       plugin => 'cm_TEXTBOARD.PL', module => 'fivech.pm',  ini => { FAMILY => '5ch' },     board => \&dat_board },
    { name => 'open2ch',   plugin => 'cm_TEXTBOARD.PL', module => 'open2ch.pm', ini => { FAMILY => 'open2ch' }, board => \&dat_board },
    { name => 'machi',     plugin => 'cm_MACHI.PL',     module => 'machi.pm',   ini => {},                     board => \&machi_board },
    { name => 'shitaraba', plugin => 'cm_SHITARABA.PL', module => 'shitaraba.pm', ini => {},                   board => \&shitaraba_board },
);

my $log = "$tmp/server.log";
# Bytes the server sent since the last call, and the requests' statuses.
sub sent {
    # The server logs a request after its answer has gone: let it finish.
    select undef, undef, undef, 0.3;
    open my $fh, '<', $log or return (0, '');
    my ($bytes, @status) = (0);
    while (<$fh>) {
        my @f = split /\t/;
        $bytes += $f[5];
        push @status, $f[4];
    }
    close $fh;
    unlink $log;
    return ($bytes, join ' ', @status);
}

my @rows;
for my $fam (@FAMILIES) {
    my $root = "$tmp/$fam->{name}";
    my $b = $fam->{board}->($root);
    my $pid = open my $server, '-|', $perl, "$top/tests/boards/board_server.pl", $root, $log,
                                     $fam->{module} ? "$top/tests/boards/family/$fam->{module}" : ()
      or die $!;
    chomp(my $port = <$server>);
    my $base = "http://127.0.0.1:$port";
    my $group = "$tmp/group-$fam->{name}";
    make_path($group);
    my %ini = (URL => "$base$b->{path}", INTERVAL_MS => 0, %{$fam->{ini}});
    spew("$group/drwa_BBS.ini", "[BASIC]\r\n" . join('', map { "$_=$ini{$_}\r\n" } sort keys %ini));
    my $receive = sub {
        system("cd '$group' && '$perl' '$top/plugins/$fam->{plugin}' > /dev/null") == 0 or die "$fam->{name}: plugin failed\n";
        unlink glob("$group/*.cm\$");
        return sent();
    };
    my $whole = sub {
        system('curl', '-s', '-A', 'Monazilla/1.00 (bench/1.0)', map { ('-o', '/dev/null', "$base/$_") } @_) == 0
          or die "curl failed\n";
        return (sent())[0];
    };
    my %r;
    @r{qw(first first_answers)} = $receive->();
    $r{first_whole} = $whole->(@{$b->{first}});
    @r{qw(unchanged unchanged_answers)} = $receive->();
    $r{unchanged_whole} = $whole->(@{$b->{unchanged}});
    $b->{grow}->();
    @r{qw(one one_answers)} = $receive->();
    $r{one_whole} = $whole->(@{$b->{one}});
    push @rows, [$fam->{name}, \%r];
    # Closing the server's pipe waits for the server: end it first.
    kill 'TERM', $pid;
    close $server;
}

sub answers {
    my %n;
    $n{$_}++ for split ' ', shift;
    return join ' ', map { "$n{$_}x$_" } sort keys %n;
}
printf "%-10s %12s %12s %16s %12s %16s %12s   %s\n", 'family', 'first', '(whole)', 'unchanged <=1KB', '(whole)',
       'one new <=4KB', '(whole)', 'answers (unchanged; one new)';
for (@rows) {
    my ($name, $r) = @$_;
    printf "%-10s %12d %12d %12d %-3s %12d %12d %-3s %12d   %s; %s\n", $name, $r->{first}, $r->{first_whole},
           $r->{unchanged}, $r->{unchanged} <= 1024 ? 'ok' : 'NO', $r->{unchanged_whole},
           $r->{one}, $r->{one} <= 4096 ? 'ok' : 'NO', $r->{one_whole},
           answers($r->{unchanged_answers}), answers($r->{one_answers});
}
